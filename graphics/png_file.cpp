// PNG pictures through libpng: loaded into 24-bit surfaces, and the save thumbnail written.
//
// libpng reports an error by calling our handler, which long-jumps back to the setjmp of the
// function that made the failing call. Those functions hold no C++ object with a destructor
// (a long jump would skip it); the structures and the row table live in the callers.

#include <png.h>

#include <csetjmp>
#include <memory>
#include <string>
#include <vector>

#include "backend/hub.h"
#include "graphics/debug_output.h"
#include "graphics/surface.h"

namespace kv {

namespace {

constexpr std::size_t kSignatureBytes = 8;

// Holders of libpng's structures for the length of one load or save, so that every way out
// releases them.
struct PngHandle {
    png_structp png = nullptr;
    png_infop info = nullptr;
    virtual ~PngHandle() = default;
};

struct PngReadHandle final : PngHandle {
    ~PngReadHandle() override {
        if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        png = nullptr;
        info = nullptr;
    }
};

struct PngWriteHandle final : PngHandle {
    ~PngWriteHandle() override {
        if (png != nullptr) png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        png = nullptr;
        info = nullptr;
    }
};

[[noreturn]] void PngErrorHandler(png_structp png, png_const_charp message) {
    DebugOutput(std::string("libpng error:") + (message ? message : ""));
    png_longjmp(png, 1);
}

void PngWarningHandler(png_structp, png_const_charp message) {
    DebugOutput(std::string("libpng warning:") + (message ? message : ""));
}

void ReadFromFile(png_structp png, png_bytep data, std::size_t length) {
    auto* file = static_cast<backend::FileHandle*>(png_get_io_ptr(png));
    if (!backend::ReadExactly(*file, data, length)) png_error(png, "Read Error");
}

void WriteToFile(png_structp png, png_bytep data, std::size_t length) {
    auto* file = static_cast<backend::FileHandle*>(png_get_io_ptr(png));
    if (file->Write(data, length) != length) png_error(png, "Write Error");
}

void FlushFile(png_structp) {}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

// Reads the header behind the signature, sets the transformations that turn every picture we
// take into 8-bit RGB rows in blue-green-red order, and gives the header as the rows will be.
bool ReadHeaderAndTransform(png_structp png, png_infop info, backend::FileHandle* file, PngHeader* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, file, &ReadFromFile);
    png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
    png_set_user_limits(png, kMaxSurfaceSide, kMaxSurfaceSide);
    png_read_info(png, info);
    png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colourType, nullptr, nullptr,
                 nullptr);
    if (header->colourType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
    if (header->colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
    if (header->colourType == PNG_COLOR_TYPE_GRAY && header->bitDepth < 8) png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_expand(png);
    if (header->bitDepth > 8) png_set_strip_16(png);
    if (header->colourType == PNG_COLOR_TYPE_GRAY) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);  // interlaced pictures are read whole
    png_read_update_info(png, info);
    png_get_IHDR(png, info, &header->width, &header->height, &header->bitDepth, &header->colourType, nullptr, nullptr,
                 nullptr);
    return true;
}

// Decodes every row into the table and reads on through the last chunk.
bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

bool WritePicture(png_structp png, png_infop info, backend::FileHandle* file, png_uint_32 width, png_uint_32 height,
                  png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, file, &WriteToFile, &FlushFile);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

// Row i of the table is the picture's row i, counted from the top.
std::vector<png_bytep> RowTable(Surface& surface) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(surface.Height()));
    for (std::int32_t i = 0; i < surface.Height(); ++i) rows[static_cast<std::size_t>(i)] = surface.PixelAt(0, i);
    return rows;
}

}  // namespace

bool Surface::LoadPng(backend::FileHandle& file) {
    PngReadHandle handle;
    handle.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &PngErrorHandler, &PngWarningHandler);
    if (handle.png == nullptr) return false;
    handle.info = png_create_info_struct(handle.png);
    if (handle.info == nullptr) return false;

    png_byte signature[kSignatureBytes];
    if (file.Read(signature, kSignatureBytes) != kSignatureBytes || png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return false;
    PngHeader header;
    if (!ReadHeaderAndTransform(handle.png, handle.info, &file, &header)) return false;
    if (header.colourType != PNG_COLOR_TYPE_RGB || header.bitDepth != 8) return false;

    if (!Create(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height), 24)) return false;
    std::vector<png_bytep> rows = RowTable(*this);
    if (ReadRows(handle.png, rows.data())) return true;
    Free();  // never half a picture
    return false;
}

bool Surface::SavePng(backend::FileHandle& file) const {
    if (IsEmpty() || bitsPerPixel_ != 24) return false;
    PngWriteHandle handle;
    handle.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &PngErrorHandler, &PngWarningHandler);
    if (handle.png == nullptr) return false;
    handle.info = png_create_info_struct(handle.png);
    if (handle.info == nullptr) return false;
    // libpng changes only its own copy of each row, never the surface.
    std::vector<png_bytep> rows = RowTable(const_cast<Surface&>(*this));
    return WritePicture(handle.png, handle.info, &file, static_cast<png_uint_32>(width_),
                        static_cast<png_uint_32>(height_), rows.data());
}

bool Surface::SavePng(const char* path) const {
    std::unique_ptr<backend::FileHandle> file = backend::Get().Files().OpenFile(path, backend::FileMode::Write);
    return file && SavePng(*file);
}

}  // namespace kv
