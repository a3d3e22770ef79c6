// Writes animated GIFs through the exported writers, each with a text file
// saying what a decoder must find in it (the format printed by gifdump):
// roundtrip_check.py decodes every pair on the host and compares.
#include "EncoderHarness.h"
#include "SyntheticFrames.h"

#include <cstdio>
#include <string>

using namespace encodertest;
using synth::Content;

namespace {

struct Animation
{
    const char* name;
    Content content;
    int width, height, frames;
    bool topDown;
    bool withOptions;           // false: no loop extension, no control extensions
    GifWriteOptions options;
    DWORD clrUsed;
};

std::string Hex(const uint8_t* bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 * count);
    for (size_t i = 0; i < count; ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

// Two-colour pictures use indices 0 and 1 only.
std::vector<uint8_t> Picture(const Animation& a, int frame)
{
    std::vector<uint8_t> px = synth::Make(a.content, a.width, a.height, frame);
    if (a.clrUsed == 2)
        for (uint8_t& p : px)
            p &= 1;
    return px;
}

bool Write(const Animation& a, const std::string& dir)
{
    const Exports& gif = Exports::Get();
    std::vector<uint8_t> palette = synth::Palette();
    if (a.clrUsed != 0)
        std::fill(palette.begin() + 3 * a.clrUsed, palette.end(), 0);

    std::string expect = "screen " + std::to_string(a.width) + " " + std::to_string(a.height)
                         + " 8 0\ncolours " + Hex(palette.data(), palette.size()) + "\n";
    if (a.withOptions && a.options.bLoop)
        expect += "loop " + std::to_string(a.options.wLoopCount) + "\n";

    const std::string path = dir + a.name + ".gif";
    testsupport::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, 0, nullptr));
    if (!file.Valid())
        return false;
    const GifWriteOptions* options = a.withOptions ? &a.options : nullptr;
    bool ok = true;
    for (int n = 0; n < a.frames && ok; ++n) {
        const std::vector<uint8_t> pixels = Picture(a, n);
        Dib dib = MakeDib(pixels, a.width, a.height, synth::Palette(), a.topDown);
        dib.Header()->biClrUsed = a.clrUsed;
        if (n == 0)
            ok = gif.fileHeader(file.Get(), dib.Info(), options);
        ok = ok && gif.imageHeader(file.Get(), dib.Header(), options)
             && gif.image(file.Get(), dib.Header(), dib.bits.data());
        if (options != nullptr) {
            const int packed = (options->wDelay ? 0x80 : 0) | (options->bTransparent ? 0x09 : 0);
            const int index = options->bTransparent ? (options->wTransparentIndex & 0xFF) : 0;
            char line[64];
            std::snprintf(line, sizeof line, "control %02x %d %d\n", packed, options->wDelay, index);
            expect += line;
        }
        expect += "image 0 0 " + std::to_string(a.width) + " " + std::to_string(a.height)
                  + " 0 0\npixels " + Hex(pixels.data(), pixels.size()) + "\n";
    }
    ok = ok && gif.terminator(file.Get());
    return ok && testsupport::WriteFileBytes(dir + a.name + ".expect", expect.data(), expect.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: roundtrip_writer <folder>\n");
        return 2;
    }
    std::string dir = testsupport::WindowsPath(argv[1]);
    testsupport::CreateDirectories(dir);
    if (dir.back() != '\\')
        dir += '\\';
    const GifWriteOptions plain = Options(FALSE, 0, TRUE, 0, 6);
    const Animation animations[] = {
        { "one-pixel", Content::Flat, 1, 1, 1, false, true, plain, 0 },
        { "odd-3", Content::Noise, 3, 3, 3, false, true, Options(TRUE, 5, TRUE, 7, 6), 0 },
        { "odd-33", Content::Natural, 33, 21, 2, false, true, Options(FALSE, 0, TRUE, 1, 12), 0 },
        { "odd-257", Content::Fractal, 257, 9, 2, false, true, Options(TRUE, 0x1FF, TRUE, 0, 0), 0 },
        { "natural-640", Content::Natural, 640, 480, 3, false, true, plain, 0 },
        { "fractal-320", Content::Fractal, 320, 240, 2, false, true, Options(FALSE, 0, TRUE, 65535, 4), 0 },
        { "noise-400", Content::Noise, 400, 300, 2, false, true, plain, 0 },
        { "flat-640", Content::Flat, 640, 480, 2, false, true, plain, 0 },
        { "top-down", Content::Natural, 97, 61, 2, true, true, plain, 0 },
        { "two-colours", Content::Noise, 64, 48, 2, false, true, plain, 2 },
        { "no-options", Content::Fractal, 50, 40, 2, false, false, {}, 0 },
        { "no-loop", Content::Natural, 40, 30, 1, false, true, Options(FALSE, 0, FALSE, 3, 6), 0 },
    };
    int failures = 0;
    for (const Animation& a : animations) {
        if (!Write(a, dir)) {
            std::fprintf(stderr, "roundtrip_writer: could not write %s\n", a.name);
            ++failures;
        }
    }
    std::printf("wrote %d animations to %s\n", int(sizeof animations / sizeof animations[0]), dir.c_str());
    return failures == 0 ? 0 : 1;
}
