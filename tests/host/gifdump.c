/* Decodes a GIF with giflib and prints what the round-trip checks compare:
 *
 *   screen <width> <height> <colour resolution> <background>
 *   colours <768 hex digits pairs: the global colour table as read>
 *   loop <count>                       (when a NETSCAPE2.0 extension is found)
 *   image <left> <top> <width> <height> <interlaced> <local table>
 *   local <hex pairs: the image's own colour table>  (when it has one)
 *   control <packed> <delay> <transparent index>   (when the image has one)
 *   pixels <width*height hex pairs, top row first>
 *
 * Exit status 0 on success, 1 when giflib refuses the file.
 */
#include <gif_lib.h>
#include <stdio.h>
#include <string.h>

static void print_hex(const unsigned char *bytes, long count)
{
    static const char digits[] = "0123456789abcdef";
    for (long i = 0; i < count; ++i) {
        putchar(digits[bytes[i] >> 4]);
        putchar(digits[bytes[i] & 15]);
    }
}

static void print_colours(const ColorMapObject *map)
{
    for (int i = 0; i < map->ColorCount; ++i) {
        const GifColorType *c = &map->Colors[i];
        const unsigned char rgb[3] = { c->Red, c->Green, c->Blue };
        print_hex(rgb, 3);
    }
    putchar('\n');
}

static void print_extensions(const ExtensionBlock *blocks, int count)
{
    for (int i = 0; i < count; ++i) {
        const ExtensionBlock *b = &blocks[i];
        if (b->Function == APPLICATION_EXT_FUNC_CODE && b->ByteCount == 11
            && memcmp(b->Bytes, "NETSCAPE2.0", 11) == 0 && i + 1 < count
            && blocks[i + 1].Function == CONTINUE_EXT_FUNC_CODE && blocks[i + 1].ByteCount == 3) {
            const unsigned char *d = blocks[i + 1].Bytes;
            printf("loop %d\n", d[1] | (d[2] << 8));
        } else if (b->Function == GRAPHICS_EXT_FUNC_CODE && b->ByteCount == 4) {
            const unsigned char *d = b->Bytes;
            printf("control %02x %d %d\n", d[0], d[1] | (d[2] << 8), d[3]);
        }
    }
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: gifdump file.gif\n");
        return 2;
    }
    int error = 0;
    GifFileType *gif = DGifOpenFileName(argv[1], &error);
    if (gif == NULL) {
        fprintf(stderr, "gifdump: %s: %s\n", argv[1], GifErrorString(error));
        return 1;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        fprintf(stderr, "gifdump: %s: %s\n", argv[1], GifErrorString(gif->Error));
        DGifCloseFile(gif, &error);
        return 1;
    }
    printf("screen %d %d %d %d\n", gif->SWidth, gif->SHeight, gif->SColorResolution,
           gif->SBackGroundColor);
    if (gif->SColorMap != NULL) {
        printf("colours ");
        print_colours(gif->SColorMap);
    }
    for (int n = 0; n < gif->ImageCount; ++n) {
        const SavedImage *image = &gif->SavedImages[n];
        const GifImageDesc *d = &image->ImageDesc;
        print_extensions(image->ExtensionBlocks, image->ExtensionBlockCount);
        printf("image %d %d %d %d %d %d\n", d->Left, d->Top, d->Width, d->Height,
               d->Interlace ? 1 : 0, d->ColorMap != NULL ? 1 : 0);
        if (d->ColorMap != NULL) {
            printf("local ");
            print_colours(d->ColorMap);
        }
        printf("pixels ");
        print_hex(image->RasterBits, (long)d->Width * d->Height);
        putchar('\n');
    }
    print_extensions(gif->ExtensionBlocks, gif->ExtensionBlockCount);
    DGifCloseFile(gif, &error);
    return 0;
}
