// The GIF handler object through its COM interfaces, created by the class
// factory the way AVIFile creates it: interfaces and counts, stream states,
// what each call puts into the file, and the refusals of unsafe input.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "HandlerHarness.h"

using namespace handlertest;

namespace {

const DWORD kCreateMode = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;     // 0x1012

IAVIFile* CreateHandler()
{
    IClassFactory* factory = nullptr;
    if (!Server::Get().Complete()
        || FAILED(Server::Get().getClassObject(CLSID_GifHandler, IID_IClassFactory,
                                               reinterpret_cast<void**>(&factory))))
        return nullptr;
    IAVIFile* file = nullptr;
    factory->CreateInstance(nullptr, IID_IAVIFile, reinterpret_cast<void**>(&file));
    factory->Release();
    return file;
}

HRESULT LoadFile(IAVIFile* file, const std::string& path, DWORD mode = kCreateMode)
{
    IPersistFile* persist = nullptr;
    HRESULT hr = file->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (FAILED(hr))
        return hr;
    hr = persist->Load(Wide(path).c_str(), mode);
    persist->Release();
    return hr;
}

AVISTREAMINFOW VideoInfo(DWORD rate, DWORD scale)
{
    AVISTREAMINFOW info = {};
    info.fccType = streamtypeVIDEO;
    info.dwRate = rate;
    info.dwScale = scale;
    return info;
}

IGifStreamOptions* Options(IAVIStream* stream)
{
    IGifStreamOptions* options = nullptr;
    stream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&options));
    return options;
}

HRESULT SetFormat(IAVIStream* stream, const std::vector<BYTE>& format)
{
    return stream->SetFormat(0, const_cast<BYTE*>(format.data()), static_cast<LONG>(format.size()));
}

HRESULT WriteRows(IAVIStream* stream, std::vector<BYTE> rows, LONG samples = 1)
{
    return stream->Write(0, samples, rows.data(), static_cast<LONG>(rows.size()), AVIIF_KEYFRAME,
                         nullptr, nullptr);
}

// One handler writing one scratch file: created, loaded, one video stream.
class HandlerFile
{
public:
    explicit HandlerFile(const std::string& name, DWORD rate = 50, DWORD scale = 3)
        : m_path(testsupport::WorkPath(name))
    {
        ::DeleteFileA(m_path.c_str());
        m_file = CreateHandler();
        if (m_file == nullptr || FAILED(LoadFile(m_file, m_path)))
            return;
        AVISTREAMINFOW info = VideoInfo(rate, scale);
        m_file->CreateStream(&m_stream, &info);
    }
    ~HandlerFile() { Close(); }

    bool Ready() const { return m_stream != nullptr; }
    IAVIFile* File() const { return m_file; }
    IAVIStream* Stream() const { return m_stream; }
    std::vector<BYTE> Bytes() const { return testsupport::ReadFileBytes(m_path); }

    // Releases both references; the file is complete afterwards.
    std::vector<BYTE> Close()
    {
        if (m_stream != nullptr)
            m_stream->Release();
        if (m_file != nullptr)
            m_file->Release();
        m_stream = nullptr;
        m_file = nullptr;
        return Bytes();
    }

private:
    std::string m_path;
    IAVIFile* m_file = nullptr;
    IAVIStream* m_stream = nullptr;
};

class HandlerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Server::Get().Complete()); }
    void TearDown() override { EXPECT_EQ(S_OK, Server::Get().canUnloadNow()) << "an object leaked"; }
};

/////////////////////////////////////////////////////////////////////////////
// Interfaces and reference counts

TEST_F(HandlerTest, EveryInterfaceSharesOneCount)
{
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(1u, RefCount(file));

    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    const IID* const iids[] = { &IID_IGifStreamOptions, &IID_IGifStreamOptions4, &IID_IAVIFile, &IID_IAVIStream,
                                &IID_IAVIStreaming, &IID_IAVIEditStream, &IID_IGetFrame,
                                &IID_IPersistFile };
    ULONG expected = 2;
    for (const IID* iid : iids) {
        IUnknown* p = nullptr;
        ASSERT_EQ(S_OK, file->QueryInterface(*iid, reinterpret_cast<void**>(&p)));
        EXPECT_EQ(++expected, RefCount(file));
        IUnknown* back = nullptr;
        ASSERT_EQ(S_OK, p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)));
        EXPECT_EQ(identity, back) << "every interface leads to the one object";
        back->Release();
        p->Release();
        --expected;
    }
    const IID* const refused[] = { &IID_IPersist, &IID_IClassFactory, &IID_IAVIPersistFile };
    for (const IID* iid : refused) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, file->QueryInterface(*iid, &p));
        EXPECT_EQ(nullptr, p);
    }
    EXPECT_EQ(E_POINTER, file->QueryInterface(IID_IAVIFile, nullptr));
    EXPECT_EQ(1u, identity->Release());
    EXPECT_EQ(0u, file->Release());
}

TEST_F(HandlerTest, StreamStatesAndCounts)
{
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(S_OK, LoadFile(file, testsupport::WorkPath("states.gif")));

    IAVIStream* stream = reinterpret_cast<IAVIStream*>(1);
    EXPECT_EQ(static_cast<HRESULT>(0xFFFFFFFF), file->GetStream(&stream, 0, 0));
    EXPECT_EQ(nullptr, stream);
    EXPECT_EQ(static_cast<HRESULT>(0xFFFFFFFF), file->DeleteStream(streamtypeVIDEO, 0));

    AVISTREAMINFOW audio = VideoInfo(30, 1);
    audio.fccType = streamtypeAUDIO;
    EXPECT_EQ(AVIERR_UNSUPPORTED, file->CreateStream(&stream, &audio));
    EXPECT_EQ(nullptr, stream);
    EXPECT_EQ(E_POINTER, file->CreateStream(nullptr, &audio));

    AVISTREAMINFOW video = VideoInfo(12, 1);
    ASSERT_EQ(S_OK, file->CreateStream(&stream, &video));
    EXPECT_EQ(2u, RefCount(file));
    IAVIStream* second = nullptr;
    EXPECT_EQ(AVIERR_UNSUPPORTED, file->CreateStream(&second, &video));
    EXPECT_EQ(nullptr, second);

    IAVIStream* got = nullptr;
    const struct { DWORD fccType; LONG lParam; HRESULT hr; } lookups[] = {
        { 0, 0, S_OK }, { streamtypeVIDEO, 0, S_OK },
        { streamtypeAUDIO, 0, static_cast<HRESULT>(0xFFFFFFFF) },
        { streamtypeVIDEO, 1, static_cast<HRESULT>(0xFFFFFFFF) },
    };
    for (const auto& l : lookups) {
        EXPECT_EQ(l.hr, file->GetStream(&got, l.fccType, l.lParam));
        if (got != nullptr) {
            EXPECT_EQ(stream, got);
            EXPECT_EQ(3u, RefCount(file));
            got->Release();
        }
        EXPECT_EQ(2u, RefCount(file));
    }
    EXPECT_EQ(E_POINTER, file->GetStream(nullptr, 0, 0));

    // The client keeps the stream reference it was given: its own Release
    // after DeleteStream must not destroy the object under the file pointer.
    EXPECT_EQ(S_OK, file->DeleteStream(0, 0));
    EXPECT_EQ(2u, RefCount(file));
    EXPECT_EQ(static_cast<HRESULT>(0xFFFFFFFF), file->GetStream(&got, 0, 0));
    EXPECT_EQ(1u, stream->Release());
    ASSERT_EQ(S_OK, file->CreateStream(&stream, &video));
    EXPECT_EQ(2u, RefCount(file));
    EXPECT_EQ(1u, stream->Release());
    EXPECT_EQ(0u, file->Release());
}

TEST_F(HandlerTest, InfoReportsTheStreamsRate)
{
    HandlerFile gif("info.gif", 25, 2);
    ASSERT_TRUE(gif.Ready());
    AVIFILEINFOW fileInfo = {};
    ASSERT_EQ(S_OK, gif.File()->Info(&fileInfo, sizeof fileInfo));
    EXPECT_EQ(1u, fileInfo.dwStreams);
    EXPECT_EQ(25u, fileInfo.dwRate);
    EXPECT_EQ(2u, fileInfo.dwScale);
    EXPECT_STREQ(L"Animated Gif89a", fileInfo.szFileType);
    EXPECT_EQ(E_POINTER, gif.File()->Info(nullptr, sizeof fileInfo));

    AVISTREAMINFOW streamInfo = {};
    ASSERT_EQ(S_OK, gif.Stream()->Info(&streamInfo, sizeof streamInfo));
    EXPECT_EQ(streamtypeVIDEO, streamInfo.fccType);
    EXPECT_EQ(25u, streamInfo.dwRate);
    EXPECT_EQ(0u, streamInfo.dwLength);

    // SetInfo of the stream and of the edit stream changes the rate, but a
    // record shorter than its size must not be read past its end.
    AVISTREAMINFOW changed = VideoInfo(7, 1);
    EXPECT_EQ(AVIERR_BADSIZE, gif.Stream()->SetInfo(&changed, 100));
    IAVIEditStream* edit = nullptr;
    ASSERT_EQ(S_OK, gif.Stream()->QueryInterface(IID_IAVIEditStream, reinterpret_cast<void**>(&edit)));
    EXPECT_EQ(S_OK, edit->SetInfo(&changed, sizeof changed));
    edit->Release();
    ASSERT_EQ(S_OK, gif.Stream()->Info(&streamInfo, sizeof streamInfo));
    EXPECT_EQ(7u, streamInfo.dwRate);

    CLSID clsid = {};
    IPersistFile* persist = nullptr;
    ASSERT_EQ(S_OK, gif.File()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(::IsEqualCLSID(CLSID_GifHandler, clsid));
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    persist->Release();
}

// Info copies as many bytes as the caller's size asks for and no more: the
// bytes after them are the caller's.
TEST_F(HandlerTest, InfoCopiesOnlyTheSizeAsked)
{
    HandlerFile gif("infosize.gif", 25, 2);
    ASSERT_TRUE(gif.Ready());
    const LONG kFile = sizeof(AVIFILEINFOW), kStream = sizeof(AVISTREAMINFOW);
    std::vector<BYTE> whole[2] = { std::vector<BYTE>(kFile), std::vector<BYTE>(kStream) };
    auto info = [&gif](int which, BYTE* p, LONG size) {
        return which == 0 ? gif.File()->Info(reinterpret_cast<AVIFILEINFOW*>(p), size)
                          : gif.Stream()->Info(reinterpret_cast<AVISTREAMINFOW*>(p), size);
    };
    for (int which : { 0, 1 }) {
        const LONG full = static_cast<LONG>(whole[which].size());
        ASSERT_EQ(S_OK, info(which, whole[which].data(), full));
        for (LONG size : { 0L, 1L, 12L, full - 1, full, full + 32 }) {
            std::vector<BYTE> buffer(full + 64, 0xCD);
            ASSERT_EQ(S_OK, info(which, buffer.data(), size));
            std::vector<BYTE> expected(whole[which].begin(), whole[which].begin() + std::min(size, full));
            expected.resize(buffer.size(), 0xCD);
            EXPECT_EQ(expected, buffer) << (which == 0 ? "file" : "stream") << " info with size " << size;
        }
    }
}

/////////////////////////////////////////////////////////////////////////////
// Opening

TEST_F(HandlerTest, ReadOnlyLoadIsRefusedAndCreatesNoFile)
{
    const std::string path = testsupport::WorkPath("readonly.gif");
    ::DeleteFileA(path.c_str());
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(AVIERR_UNSUPPORTED, LoadFile(file, path, OF_READ));
    EXPECT_EQ(AVIERR_UNSUPPORTED, LoadFile(file, path, OF_READWRITE | OF_SHARE_DENY_WRITE));
    EXPECT_EQ(0u, file->Release());
    EXPECT_FALSE(testsupport::FileExists(path));
}

// One object writes one file: a second Load is refused, creates nothing, and
// the first file is still finished by the last release.
TEST_F(HandlerTest, SecondLoadIsRefusedAndTheFirstFileKeepsItsTrailer)
{
    const std::string second = testsupport::WorkPath("second-load.gif");
    ::DeleteFileA(second.c_str());
    HandlerFile gif("first-load.gif", 10, 1);
    ASSERT_TRUE(gif.Ready());
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(3, 3)));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 3, 4)));

    EXPECT_EQ(AVIERR_UNSUPPORTED, LoadFile(gif.File(), second));
    EXPECT_FALSE(testsupport::FileExists(second));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 3, 5)));     // still writing the first file

    const GifLayout layout = ReadGifLayout(gif.Close());
    EXPECT_TRUE(layout.valid) << "the trailer ends the first file";
    EXPECT_EQ((std::vector<WORD>{ 10, 10 }), Delays(layout));
}

TEST_F(HandlerTest, LoadFailsForAFolderThatDoesNotExist)
{
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(AVIERR_INTERNAL, LoadFile(file, testsupport::WorkPath("no-such-folder\\x.gif")));
    EXPECT_EQ(0u, file->Release());
}

// The host program's error mode is its own: loading the handler leaves it as it was.
TEST_F(HandlerTest, LoadRestoresTheProcessErrorMode)
{
    const UINT original = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(S_OK, LoadFile(file, testsupport::WorkPath("errormode.gif")));
    EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS), ::SetErrorMode(original));
    EXPECT_EQ(0u, file->Release());
}

/////////////////////////////////////////////////////////////////////////////
// What reaches the file

// A 1x1 image of index 0 at a rate whose delays are 6 hundredths.
TEST_F(HandlerTest, OnePixelFileIsByteExact)
{
    static const BYTE kScreen[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61,     // "GIF89a"
        0x01, 0x00, 0x01, 0x00,                 // 1 x 1
        0xF7, 0x00, 0x00,                       // global table of 256, background 0, aspect 0
    };
    static const BYTE kTail[] = {
        0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
        0x03, 0x01, 0x00, 0x00, 0x00,           // loop for ever
        0x21, 0xF9, 0x04, 0x80, 0x06, 0x00, 0x00, 0x00,     // control: delay 6, opaque
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x07,    // image at 0,0, 1 x 1
        0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00,   // LZW: clear, 0, end; terminator
        0x3B,                                   // trailer
    };
    const std::vector<BYTE> format = MakeFormat(1, 1);
    std::vector<BYTE> expected(kScreen, kScreen + sizeof kScreen);
    const RGBQUAD* colours = reinterpret_cast<const RGBQUAD*>(format.data() + 40);
    for (int i = 0; i < 256; ++i) {
        expected.push_back(colours[i].rgbRed);
        expected.push_back(colours[i].rgbGreen);
        expected.push_back(colours[i].rgbBlue);
    }
    expected.insert(expected.end(), kTail, kTail + sizeof kTail);

    HandlerFile gif("onepixel.gif", 50, 3);
    ASSERT_TRUE(gif.Ready());
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), format));
    LONG samples = -1, bytes = -1;
    std::vector<BYTE> rows = FlatRows(1, 1, 0);
    ASSERT_EQ(S_OK, gif.Stream()->Write(0, 1, rows.data(), 4, AVIIF_KEYFRAME, &samples, &bytes));
    EXPECT_EQ(1, samples);
    EXPECT_EQ(4, bytes);
    EXPECT_EQ(expected, gif.Close());
}

// The trailer comes with the last reference, whichever interface it is on.
TEST_F(HandlerTest, TrailerIsWrittenByTheLastRelease)
{
    const std::string path = testsupport::WorkPath("trailer.gif");
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(S_OK, LoadFile(file, path));
    AVISTREAMINFOW info = VideoInfo(10, 1);
    IAVIStream* stream = nullptr;
    ASSERT_EQ(S_OK, file->CreateStream(&stream, &info));
    ASSERT_EQ(S_OK, SetFormat(stream, MakeFormat(2, 2)));
    ASSERT_EQ(S_OK, WriteRows(stream, FlatRows(2, 2, 1)));
    const size_t before = testsupport::ReadFileBytes(path).size();

    EXPECT_EQ(1u, file->Release());
    EXPECT_EQ(before, testsupport::ReadFileBytes(path).size());
    EXPECT_EQ(0u, stream->Release());
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
    ASSERT_EQ(before + 1, bytes.size());
    EXPECT_EQ(0x3B, bytes.back());
    // Closed: the file can be opened for writing again.
    testsupport::ScopedHandle reopened(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(reopened.Valid());
}

// A trailer alone would be no GIF: a file that never got a format stays empty.
TEST_F(HandlerTest, FileWithoutFormatStaysEmpty)
{
    HandlerFile gif("empty.gif");
    ASSERT_TRUE(gif.Ready());
    EXPECT_TRUE(gif.Close().empty());
}

TEST_F(HandlerTest, LoopCountCountsOnlyBeforeTheFirstFormat)
{
    const struct { WORD before; bool setBefore; WORD after; WORD expected; } cases[] = {
        { 0, false, 7, 0 },         // too late: the file keeps the default
        { 0xFFFF, true, 3, 0xFFFF },    // no value is refused; the later one is ignored
        { 12, true, 0, 12 },
    };
    for (const auto& c : cases) {
        HandlerFile gif("loop.gif");
        ASSERT_TRUE(gif.Ready());
        IGifStreamOptions* options = Options(gif.Stream());
        ASSERT_NE(nullptr, options);
        if (c.setBefore) {
            EXPECT_EQ(S_OK, options->SetLoopCount(c.before));
        }
        ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(4, 4)));
        EXPECT_EQ(S_OK, options->SetLoopCount(c.after));
        EXPECT_EQ(S_OK, options->SetReservedValue(0x12345678));
        ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(4, 4, 2)));
        options->Release();
        const GifLayout layout = ReadGifLayout(gif.Close());
        ASSERT_TRUE(layout.valid);
        ASSERT_TRUE(layout.hasLoop);
        EXPECT_EQ(c.expected, layout.loopCount) << "loop count before " << c.before;
    }
}

TEST_F(HandlerTest, TransparencyFollowsEachImageUntilTurnedOff)
{
    HandlerFile gif("transparent.gif");
    ASSERT_TRUE(gif.Ready());
    IGifStreamOptions* options = Options(gif.Stream());
    ASSERT_NE(nullptr, options);
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(3, 2)));
    EXPECT_EQ(S_OK, options->SetTransparency(1, 5));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 2, 5)));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 2, 6)));
    EXPECT_EQ(S_OK, options->SetTransparency(1, 0x0107));   // only the low byte is an index
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 2, 7)));
    EXPECT_EQ(S_OK, options->SetTransparency(0, 9));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(3, 2, 8)));
    options->Release();

    const GifLayout layout = ReadGifLayout(gif.Close());
    ASSERT_TRUE(layout.valid);
    ASSERT_EQ(4u, layout.images.size());
    const BYTE packed[] = { 0x89, 0x89, 0x89, 0x80 };
    const BYTE index[] = { 5, 5, 7, 0 };
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(layout.images[i].hasControl);
        EXPECT_EQ(packed[i], layout.images[i].controlPacked) << "image " << i;
        EXPECT_EQ(index[i], layout.images[i].transparentIndex) << "image " << i;
    }
}

TEST_F(HandlerTest, SecondFormatSizesTheImagesButNotTheScreen)
{
    HandlerFile gif("twosizes.gif");
    ASSERT_TRUE(gif.Ready());
    const std::vector<BYTE> first = MakeFormat(16, 8, 8, 0);
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), first));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(16, 8, 1)));
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(5, 3, 8, 77)));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(5, 3, 2)));

    const GifLayout layout = ReadGifLayout(gif.Close());
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(16, layout.width);
    EXPECT_EQ(8, layout.height);
    ASSERT_EQ(2u, layout.images.size());
    EXPECT_EQ(16, layout.images[0].width);
    EXPECT_EQ(8, layout.images[0].height);
    EXPECT_EQ(5, layout.images[1].width);
    EXPECT_EQ(3, layout.images[1].height);
    ASSERT_EQ(768u, layout.colours.size());
    EXPECT_EQ(first[40 + 4 * 9 + 2], layout.colours[3 * 9]) << "the first format's table";
}

// A format the handler cannot write (here 16 bits with masks that overlap)
// is refused, first or later, and so are its frames; the first format the
// handler can write after it starts the file.
TEST_F(HandlerTest, FormatsItCannotWriteWriteNothing)
{
    HandlerFile gif("depths.gif");
    ASSERT_TRUE(gif.Ready());
    std::vector<BYTE> packed = MakeFormat(4, 4, 16);
    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(packed.data());
    h->biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0x0FF0, 0x00FF, 0xF000};
    memcpy(packed.data() + sizeof(BITMAPINFOHEADER), masks, sizeof masks);
    EXPECT_EQ(AVIERR_COMPRESSOR, SetFormat(gif.Stream(), packed));
    EXPECT_EQ(AVIERR_BADFORMAT, WriteRows(gif.Stream(), std::vector<BYTE>(32, 1)));
    EXPECT_TRUE(gif.Bytes().empty());

    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(4, 4)));
    ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(4, 4, 1)));
    EXPECT_EQ(AVIERR_COMPRESSOR, SetFormat(gif.Stream(), packed));
    EXPECT_EQ(AVIERR_BADFORMAT, WriteRows(gif.Stream(), std::vector<BYTE>(32, 1)));
    EXPECT_EQ(AVIERR_UNSUPPORTED, WriteRows(gif.Stream(), FlatRows(4, 4, 1), 2));

    const GifLayout layout = ReadGifLayout(gif.Close());
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(4, layout.width);
    EXPECT_EQ(1u, layout.images.size());
}

// A true-colour first format gives the screen and waits: the first image's
// colours become the global table, and that image needs no table of its own.
TEST_F(HandlerTest, TrueColourFirstFormatStartsTheFileWithItsFirstImage)
{
    HandlerFile gif("truecolour.gif");
    ASSERT_TRUE(gif.Ready());
    const std::vector<BYTE> screen = MakeFormat(6, 5, 24);
    EXPECT_EQ(S_OK, SetFormat(gif.Stream(), std::vector<BYTE>(screen.begin(), screen.begin() + 40)));
    EXPECT_TRUE(gif.Bytes().empty()) << "no header before the first image";
    const std::vector<BYTE> frame = MakeFormat(4, 4, 24);
    EXPECT_EQ(S_OK, SetFormat(gif.Stream(), std::vector<BYTE>(frame.begin(), frame.begin() + 40)));
    std::vector<BYTE> rows(12 * 4, 0);
    for (size_t i = 0; i < rows.size(); i += 3) {
        rows[i] = 0x10;             // blue
        rows[i + 2] = 0xC0;         // red
    }
    EXPECT_EQ(S_OK, WriteRows(gif.Stream(), rows));
    const GifLayout layout = ReadGifLayout(gif.Close());
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(6, layout.width);
    EXPECT_EQ(5, layout.height);
    ASSERT_EQ(1u, layout.images.size());
    ASSERT_EQ(768u, layout.colours.size());
    EXPECT_EQ((std::vector<BYTE>{0xC0, 0x00, 0x10}), std::vector<BYTE>(layout.colours.begin(), layout.colours.begin() + 3));
}

/////////////////////////////////////////////////////////////////////////////
// Delays follow the stream's rate

struct DelayCase
{
    DWORD rate, scale;
    std::vector<WORD> delays;
};

TEST_F(HandlerTest, DelaysFollowTheFrameRate)
{
    const DelayCase cases[] = {
        { 30, 1, { 3, 4, 3, 3, 4, 3, 3 } },     // no drift: 10 frames per 33 1/3 hundredths
        { 50, 3, { 6, 6, 6 } },
        { 5, 1, { 20, 20 } },
        { 15, 2, { 13, 14, 13, 13, 14, 13 } },  // 13 1/3 hundredths
        { 100, 1, { 2, 2, 2 } },                // 1 hundredth is slowed down by browsers
        { 1000, 1, { 2, 2 } },
        { 1, 1000, { 65535, 65535 } },          // 1000 s each, the most a GIF can say
        { 0, 1, { 6, 6 } },                     // no usable rate
        { 10, 0, { 6 } },
        { 30000, 1001, { 3, 4, 3, 3, 4, 3 } },  // NTSC
    };
    for (const DelayCase& c : cases) {
        HandlerFile gif("delays.gif", c.rate, c.scale);
        ASSERT_TRUE(gif.Ready());
        ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(2, 1)));
        for (size_t i = 0; i < c.delays.size(); ++i)
            ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(2, 1, 3)));
        const GifLayout layout = ReadGifLayout(gif.Close());
        ASSERT_TRUE(layout.valid);
        EXPECT_EQ(c.delays, Delays(layout)) << c.rate << "/" << c.scale;
    }
}

// A client that takes the stream from the file object without CreateStream
// never gave a rate: the rate of the handler's own record is only reported,
// and the images get the fixed delay until the client gives one by SetInfo.
TEST_F(HandlerTest, StreamWithoutCreateStreamKeepsTheDefaultDelay)
{
    const struct { const char* what; bool setInfo; DWORD rate; std::vector<WORD> delays; } cases[] = {
        { "no rate given", false, 0, { 6, 6, 6 } },
        { "rate given by SetInfo", true, 10, { 10, 10, 10 } },
        { "the reported rate given back", true, 30, { 3, 4, 3 } },
    };
    for (const auto& c : cases) {
        const std::string path = testsupport::WorkPath("nocreatestream.gif");
        IAVIFile* file = CreateHandler();
        ASSERT_NE(nullptr, file);
        ASSERT_EQ(S_OK, LoadFile(file, path));
        IAVIStream* stream = nullptr;
        ASSERT_EQ(S_OK, file->QueryInterface(IID_IAVIStream, reinterpret_cast<void**>(&stream)));
        AVISTREAMINFOW info = {};
        ASSERT_EQ(S_OK, stream->Info(&info, sizeof info));
        EXPECT_EQ(30u, info.dwRate) << c.what;
        if (c.setInfo) {
            info.dwRate = c.rate;
            ASSERT_EQ(S_OK, stream->SetInfo(&info, sizeof info)) << c.what;
        }
        ASSERT_EQ(S_OK, SetFormat(stream, MakeFormat(2, 1)));
        for (size_t i = 0; i < c.delays.size(); ++i)
            ASSERT_EQ(S_OK, WriteRows(stream, FlatRows(2, 1, 3)));
        EXPECT_EQ(1u, stream->Release());
        EXPECT_EQ(0u, file->Release());
        const GifLayout layout = ReadGifLayout(testsupport::ReadFileBytes(path));
        ASSERT_TRUE(layout.valid) << c.what;
        EXPECT_EQ(c.delays, Delays(layout)) << c.what;
    }
}

TEST_F(HandlerTest, LongAnimationLastsAsLongAsTheMovie)
{
    HandlerFile gif("tenseconds.gif", 30, 1);
    ASSERT_TRUE(gif.Ready());
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(1, 1)));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(S_OK, WriteRows(gif.Stream(), FlatRows(1, 1, 0)));
    const std::vector<WORD> delays = Delays(ReadGifLayout(gif.Close()));
    ASSERT_EQ(300u, delays.size());
    EXPECT_EQ(1000u, std::accumulate(delays.begin(), delays.end(), 0u));
}

/////////////////////////////////////////////////////////////////////////////
// Unsafe input and failed writes

TEST_F(HandlerTest, ShortFormatsAreRefusedAndWriteNoHeader)
{
    HandlerFile gif("shortformat.gif");
    ASSERT_TRUE(gif.Ready());
    std::vector<BYTE> format = MakeFormat(4, 4);
    EXPECT_EQ(AVIERR_BADFORMAT, gif.Stream()->SetFormat(0, nullptr, 1064));
    EXPECT_EQ(AVIERR_BADFORMAT, gif.Stream()->SetFormat(0, format.data(), 39));
    // The whole 256-entry table is read, but only 16 entries were given.
    EXPECT_EQ(AVIERR_BADFORMAT, gif.Stream()->SetFormat(0, format.data(), 40 + 16 * 4));
    std::vector<BYTE> core = format;
    reinterpret_cast<BITMAPINFOHEADER*>(core.data())->biSize = 12;
    EXPECT_EQ(AVIERR_BADFORMAT, SetFormat(gif.Stream(), core));
    std::vector<BYTE> rle = format;
    reinterpret_cast<BITMAPINFOHEADER*>(rle.data())->biCompression = BI_RLE8;
    EXPECT_EQ(AVIERR_BADFORMAT, SetFormat(gif.Stream(), rle));
    EXPECT_TRUE(gif.Bytes().empty());

    // A table of biClrUsed entries is enough when the block holds it.
    reinterpret_cast<BITMAPINFOHEADER*>(format.data())->biClrUsed = 16;
    EXPECT_EQ(S_OK, gif.Stream()->SetFormat(0, format.data(), 40 + 16 * 4));
    EXPECT_FALSE(gif.Bytes().empty());
}

TEST_F(HandlerTest, ShortSampleIsRefusedAndWritesNothing)
{
    HandlerFile gif("shortsample.gif");
    ASSERT_TRUE(gif.Ready());
    ASSERT_EQ(S_OK, SetFormat(gif.Stream(), MakeFormat(5, 3)));     // stride 8: 24 bytes
    const size_t header = gif.Bytes().size();
    std::vector<BYTE> rows = FlatRows(5, 3, 4);
    LONG samples = -1, bytes = -1;
    EXPECT_EQ(AVIERR_BADSIZE, gif.Stream()->Write(0, 1, rows.data(), 23, 0, &samples, &bytes));
    EXPECT_EQ(0, samples);
    EXPECT_EQ(0, bytes);
    EXPECT_EQ(AVIERR_BADSIZE, gif.Stream()->Write(0, 1, rows.data(), -1, 0, nullptr, nullptr));
    EXPECT_EQ(AVIERR_BADPARAM, gif.Stream()->Write(0, 1, nullptr, 24, 0, nullptr, nullptr));
    EXPECT_EQ(header, gif.Bytes().size());
    EXPECT_EQ(S_OK, gif.Stream()->Write(0, 1, rows.data(), 24, 0, nullptr, nullptr));
    EXPECT_EQ(1u, ReadGifLayout(gif.Close()).images.size());
}

// A write the file system refuses (here a full device) reaches the client.
TEST_F(HandlerTest, FailedWritesAreReported)
{
    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(S_OK, LoadFile(file, "Z:\\dev\\full"));
    AVISTREAMINFOW info = VideoInfo(10, 1);
    IAVIStream* stream = nullptr;
    ASSERT_EQ(S_OK, file->CreateStream(&stream, &info));
    EXPECT_EQ(AVIERR_FILEWRITE, SetFormat(stream, MakeFormat(8, 8)));
    EXPECT_EQ(AVIERR_FILEWRITE, WriteRows(stream, FlatRows(8, 8, 1)));
    EXPECT_EQ(1u, stream->Release());
    EXPECT_EQ(0u, file->Release());
}

// The reading end of a pipe the handler writes into: it takes bytes until
// it has `limit` of them, then closes, so that every later write fails,
// possibly in the middle of an image.
struct ClosingReader
{
    HANDLE pipe = INVALID_HANDLE_VALUE;
    size_t limit = 0;
    std::vector<BYTE> got;

    static DWORD WINAPI Run(void* p)
    {
        ClosingReader* self = static_cast<ClosingReader*>(p);
        ::ConnectNamedPipe(self->pipe, nullptr);
        BYTE buffer[4096];
        DWORD n = 0;
        while (self->got.size() < self->limit && ::ReadFile(self->pipe, buffer, sizeof buffer, &n, nullptr))
            self->got.insert(self->got.end(), buffer, buffer + n);
        ::CloseHandle(self->pipe);
        return 0;
    }
};

// With parallel encoding a Write returns before its image is in the file:
// a write that fails later is answered by a later Write and by
// FinishImages, every call after it fails too, and the count of images in
// the file holds no image that went in only in part.
TEST_F(HandlerTest, ParallelWriteFailureReachesTheClientLater)
{
    ClosingReader reader;
    reader.pipe = ::CreateNamedPipeW(L"\\\\.\\pipe\\reelwright-closing", PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                     1, 0, 1024, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader.pipe);
    // The header, the first image of noise (about 50 KB) and half the second.
    reader.limit = 75000;
    HANDLE thread = ::CreateThread(nullptr, 0, ClosingReader::Run, &reader, 0, nullptr);
    ASSERT_NE(nullptr, thread);

    IAVIFile* file = CreateHandler();
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(S_OK, LoadFile(file, "\\\\.\\pipe\\reelwright-closing"));
    AVISTREAMINFOW info = VideoInfo(10, 1);
    IAVIStream* stream = nullptr;
    ASSERT_EQ(S_OK, file->CreateStream(&stream, &info));
    IGifStreamOptions3* options = nullptr;
    ASSERT_EQ(S_OK, stream->QueryInterface(IID_IGifStreamOptions3, reinterpret_cast<void**>(&options)));
    EXPECT_EQ(S_OK, options->SetParallelEncoding(TRUE));
    ASSERT_EQ(S_OK, SetFormat(stream, MakeFormat(200, 200)));

    DWORD seed = 1;
    int nAccepted = 0, nFailedWrites = 0;
    for (int i = 0; i < 30; ++i) {
        std::vector<BYTE> rows(Stride(200) * 200);
        for (BYTE& b : rows)
            b = static_cast<BYTE>((seed = seed * 1103515245 + 12345) >> 16);
        const HRESULT hr = WriteRows(stream, rows);
        if (hr == S_OK) {
            EXPECT_EQ(0, nFailedWrites) << "frame " << i << " accepted after a failure";
            ++nAccepted;
        } else {
            EXPECT_EQ(AVIERR_FILEWRITE, hr);
            ++nFailedWrites;
        }
    }
    EXPECT_GT(nAccepted, 0);
    DWORD nImages = 99;
    EXPECT_EQ(AVIERR_FILEWRITE, options->FinishImages(&nImages));
    EXPECT_EQ(AVIERR_FILEWRITE, WriteRows(stream, FlatRows(200, 200, 1)));
    options->Release();
    EXPECT_EQ(1u, stream->Release());
    EXPECT_EQ(0u, file->Release());
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 10000));
    ::CloseHandle(thread);

    // The reader stopped in the middle of the second image.
    EXPECT_LT(nImages, static_cast<DWORD>(nAccepted));
    EXPECT_EQ(1u, ReadGifLayout(reader.got).images.size());
    EXPECT_EQ(1u, nImages);
}

} // namespace
