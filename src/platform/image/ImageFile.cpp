#include "platform/image/ImageFile.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

// libpng and libjpeg leave on an error by longjmp. Each function below that calls setjmp holds
// only trivially destructible locals, and everything with a destructor (the cv::Mat, the FILE,
// the codec structs) lives in its caller, so the jump skips no C++ cleanup.

namespace {

// Refused before any pixel memory is taken: a damaged or hostile header could otherwise ask
// for terabytes.
bool acceptableSize(std::uint32_t width, std::uint32_t height) {
    constexpr std::uint32_t maxSide = 1u << 20;
    constexpr std::uint64_t maxPixels = std::uint64_t(1) << 30;
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           std::uint64_t(width) * height <= maxPixels;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Files hold straight colour; pictures here are premultiplied.
void premultiply(cv::Mat& rgba) {
    if (rgba.depth() == CV_8U) {
        cv::cvtColor(rgba, rgba, cv::COLOR_RGBA2mRGBA);
        return;
    }
    rgba.forEach<cv::Vec4w>([](cv::Vec4w& p, const int*) {
        for (int c = 0; c < 3; ++c)
            p[c] = cv::saturate_cast<std::uint16_t>(p[c] * (p[3] / 65535.0));
    });
}

cv::Mat unpremultiplied(const cv::Mat& rgba) {
    cv::Mat straight;
    if (rgba.depth() == CV_8U) {
        cv::cvtColor(rgba, straight, cv::COLOR_mRGBA2RGBA);
        return straight;
    }
    straight = rgba.clone();
    straight.forEach<cv::Vec4w>([](cv::Vec4w& p, const int*) {
        if (p[3] == 0) return;
        for (int c = 0; c < 3; ++c)
            p[c] = cv::saturate_cast<std::uint16_t>(p[c] * (65535.0 / p[3]));
    });
    return straight;
}

// ---- PNG

[[noreturn]] void pngFailed(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngWarned(png_structp, png_const_charp) {}  // callers report failures their own way

struct PngRead {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    ~PngRead() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Any PNG as 8- or 16-bit RGBA in native byte order; `hasAlpha` false when every pixel is
// opaque. The file is past its 8 signature bytes.
bool decodePng(png_structp png, png_infop info, std::FILE* file, cv::Mat& pixels, bool& hasAlpha) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!acceptableSize(width, height)) return false;
    const bool deep = png_get_bit_depth(png, info) == 16;
    hasAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) ||
               png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);  // palette and 1-4 bit grey to 8 bits, tRNS to an alpha channel
    png_set_gray_to_rgb(png);
    if (!hasAlpha) png_set_add_alpha(png, 0xffff, PNG_FILLER_AFTER);
    if (deep && std::endian::native == std::endian::little) png_set_swap(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int type = deep ? CV_16UC4 : CV_8UC4;
    if (png_get_rowbytes(png, info) != width * CV_ELEM_SIZE(type)) return false;
    pixels.create(int(height), int(width), type);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < int(height); ++y) png_read_row(png, pixels.ptr(y), nullptr);
    png_read_end(png, nullptr);
    return true;
}

struct PngWrite {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    ~PngWrite() { png_destroy_write_struct(&png, &info); }
};

bool encodePng(png_structp png, png_infop info, std::FILE* file, const cv::Mat& straight) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    // Fast rather than small: these files are for tools and tests, not for keeping.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_compression_strategy(png, Z_RLE);
    const bool deep = straight.depth() == CV_16U;
    png_set_IHDR(png, info, png_uint_32(straight.cols), png_uint_32(straight.rows), deep ? 16 : 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    if (deep && std::endian::native == std::endian::little) png_set_swap(png);
    for (int y = 0; y < straight.rows; ++y) png_write_row(png, straight.ptr(y));
    png_write_end(png, info);
    return true;
}

// ---- JPEG

struct JpegErrors {
    jpeg_error_mgr manager;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void jpegFailed(j_common_ptr codec) {
    std::longjmp(reinterpret_cast<JpegErrors*>(codec->err)->jump, 1);
}

// Quiet, except that warnings meaning pixels were lost (the file ends early, the coded data is
// broken) are errors: libjpeg would pad the loss with grey and call it a picture.
void jpegMessage(j_common_ptr codec, int level) {
    if (level >= 0) return;
    switch (codec->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_MUST_RESYNC:
            jpegFailed(codec);
        default:
            break;
    }
}

void useJpegErrors(JpegErrors& errors) {
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFailed;
    errors.manager.emit_message = jpegMessage;
}

struct JpegRead {
    jpeg_decompress_struct codec{};  // all zero: destroying it before creation does nothing
    JpegErrors errors{};
    ~JpegRead() { jpeg_destroy_decompress(&codec); }
};

// Any JPEG as 8-bit RGBA, opaque. The file is at its start.
bool decodeJpeg(JpegRead& read, std::FILE* file, cv::Mat& pixels) {
    useJpegErrors(read.errors);
    read.codec.err = &read.errors.manager;
    if (setjmp(read.errors.jump)) return false;
    jpeg_create_decompress(&read.codec);
    jpeg_stdio_src(&read.codec, file);
    jpeg_read_header(&read.codec, TRUE);
    if (!acceptableSize(read.codec.image_width, read.codec.image_height)) return false;
    // libjpeg turns grey, RGB and YCbCr into RGBA itself, but CMYK only into CMYK.
    const bool cmyk =
        read.codec.jpeg_color_space == JCS_CMYK || read.codec.jpeg_color_space == JCS_YCCK;
    read.codec.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&read.codec);
    pixels.create(int(read.codec.output_height), int(read.codec.output_width), CV_8UC4);
    while (read.codec.output_scanline < read.codec.output_height) {
        JSAMPROW row = pixels.ptr(int(read.codec.output_scanline));
        jpeg_read_scanlines(&read.codec, &row, 1);
    }
    jpeg_finish_decompress(&read.codec);
    if (cmyk) {
        // As Adobe writes it (inverted), which is what CMYK JPEGs found in practice are.
        pixels.forEach<cv::Vec4b>([](cv::Vec4b& p, const int*) {
            const int k = p[3];
            for (int c = 0; c < 3; ++c) p[c] = uchar(k - ((255 - p[c]) * k >> 8));
            p[3] = 255;
        });
    }
    return true;
}

struct JpegWrite {
    jpeg_compress_struct codec{};
    JpegErrors errors{};
    ~JpegWrite() { jpeg_destroy_compress(&codec); }
};

// `straight` is 8-bit RGBA; JPEG has no alpha, so only the colours are kept.
bool encodeJpeg(JpegWrite& write, std::FILE* file, const cv::Mat& straight) {
    useJpegErrors(write.errors);
    write.codec.err = &write.errors.manager;
    if (setjmp(write.errors.jump)) return false;
    jpeg_create_compress(&write.codec);
    jpeg_stdio_dest(&write.codec, file);
    write.codec.image_width = JDIMENSION(straight.cols);
    write.codec.image_height = JDIMENSION(straight.rows);
    write.codec.input_components = 4;
    write.codec.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&write.codec);
    jpeg_set_quality(&write.codec, 95, TRUE);
    jpeg_start_compress(&write.codec, TRUE);
    for (int y = 0; y < straight.rows; ++y) {
        JSAMPROW row = const_cast<uchar*>(straight.ptr(y));
        jpeg_write_scanlines(&write.codec, &row, 1);
    }
    jpeg_finish_compress(&write.codec);
    return true;
}

std::string lowercaseExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

}  // namespace

std::optional<Image> readImageFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    // By content, not by name: callers try any file (a video, say) as a picture first.
    unsigned char head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    cv::Mat pixels;
    bool hasAlpha = false;
    bool decoded = false;
    try {
        if (got == sizeof head && png_sig_cmp(head, 0, sizeof head) == 0) {
            PngRead read;
            decoded = read.info && decodePng(read.png, read.info, file.get(), pixels, hasAlpha);
        } else if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
            std::rewind(file.get());
            JpegRead read;
            decoded = decodeJpeg(read, file.get(), pixels);
        }
    } catch (const cv::Exception&) {  // no memory for the pixels
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!decoded) return std::nullopt;
    if (hasAlpha) premultiply(pixels);
    return Image(pixels);
}

bool writeImageFile(const Image& image, const std::string& path) {
    const int type = image.pixels.type();
    if (image.empty() || (type != CV_8UC4 && type != CV_16UC4)) return false;
    if (!isPictureFileName(path)) return false;
    const bool png = lowercaseExtension(path) == ".png";
    cv::Mat straight = unpremultiplied(image.pixels);
    if (!png && straight.depth() == CV_16U) straight.convertTo(straight, CV_8U, 1.0 / 257);
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    bool written = false;
    if (png) {
        PngWrite write;
        written = write.info && encodePng(write.png, write.info, file.get(), straight);
    } else {
        JpegWrite write;
        written = encodeJpeg(write, file.get(), straight);
    }
    // Buffered data reaches the disk only on closing, so a full disk may show up only here.
    const bool closed = std::fclose(file.release()) == 0;
    return written && closed;
}

bool isPictureFileName(const std::string& path) {
    const std::string extension = lowercaseExtension(path);
    return extension == ".png" || extension == ".jpg" || extension == ".jpeg";
}
