#include "core/codec/gzip.h"

#include <algorithm>
#include <limits>

#include <zlib.h>

namespace core {
namespace {

// windowBits for a gzip wrapper around a 32 KiB window.
constexpr int kGzipWindowBits = 16 + 15;
// A gzip member ends in CRC-32 and the length modulo 2^32, four bytes each.
constexpr std::size_t kTrailerBytes = 8;
// zlib counts in 32-bit units; output is handed over in slices no larger than this.
constexpr std::size_t kMaxZlibSlice = std::numeric_limits<uInt>::max();

class Inflater {
public:
    Inflater() = default;
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() {
        if (ready_) inflateEnd(&stream_);
    }

    Status init() {
        if (inflateInit2(&stream_, kGzipWindowBits) != Z_OK) return fail(message("cannot start decompression"));
        ready_ = true;
        return {};
    }

    z_stream& stream() { return stream_; }

    std::string message(const char* fallback) const { return stream_.msg != nullptr ? stream_.msg : fallback; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

class Deflater {
public:
    Deflater() = default;
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater() {
        if (ready_) deflateEnd(&stream_);
    }

    Status init(int level) {
        if (deflateInit2(&stream_, level, Z_DEFLATED, kGzipWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            return fail("cannot start compression");
        }
        ready_ = true;
        return {};
    }

    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

// The member's own length field, when the stream is one member: sizes the output once
// instead of growing it. A lying field only costs a regrowth; the trailer check catches it.
std::size_t expected_size(std::span<const std::uint8_t> stream, std::size_t read_limit) {
    if (stream.size() < kTrailerBytes) return 0;
    const std::uint8_t* isize = stream.data() + stream.size() - 4;
    const std::size_t size = std::size_t{isize[0]} | std::size_t{isize[1]} << 8 | std::size_t{isize[2]} << 16 |
                             std::size_t{isize[3]} << 24;
    return std::min(size, read_limit);
}

// Enlarges the output for zlib to write into. Text is not zero-filled first: inflating a
// large archive writes every byte anyway, and a second pass over 128 MiB is not free.
void grow(Bytes& out, std::size_t size) { out.resize(size); }
void grow(TextBuffer& out, std::size_t size) { out.resize(size); }

template <class Buffer>
Result<Buffer> inflate_into(std::span<const std::uint8_t> stream, std::size_t read_limit) {
    Inflater inflater;
    if (auto started = inflater.init(); !started) return fail(started.error());
    z_stream& z = inflater.stream();

    Buffer out;
    const std::size_t first = expected_size(stream, read_limit);
    out.reserve(first + 1);
    grow(out, first);
    std::size_t produced = 0;
    std::size_t consumed = 0;
    int code = Z_OK;
    while (true) {
        if (produced == read_limit) break;  // full: the caller learns the stream is larger
        if (produced == out.size()) {
            // Grow geometrically, never past the limit; keep room for the terminator.
            const std::size_t grown = std::min(read_limit, std::max<std::size_t>(out.size() * 2, 64 * 1024));
            out.reserve(grown + 1);
            grow(out, grown);
        }
        if (z.avail_in == 0 && consumed < stream.size()) {
            const std::size_t slice = std::min(kGzipInputChunk, stream.size() - consumed);
            z.next_in = const_cast<Bytef*>(stream.data() + consumed);
            z.avail_in = static_cast<uInt>(slice);
            consumed += slice;
        }
        const std::size_t room = std::min(out.size() - produced, kMaxZlibSlice);
        z.next_out = reinterpret_cast<Bytef*>(out.data()) + produced;
        z.avail_out = static_cast<uInt>(room);
        code = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (code == Z_STREAM_END) break;
        if (code == Z_BUF_ERROR && z.avail_in == 0 && consumed == stream.size()) {
            return fail(inflater.message("unexpected end of gzip stream"));
        }
        if (code != Z_OK && code != Z_BUF_ERROR) {
            return fail(inflater.message(code == Z_MEM_ERROR ? "out of memory while decompressing"
                                                            : "invalid gzip stream"));
        }
    }
    out.resize(produced);
    // Only one member: a package never carries bytes that nobody reads.
    if (code == Z_STREAM_END && (z.avail_in != 0 || consumed != stream.size())) {
        return fail("unexpected data after gzip stream");
    }
    return out;
}

}  // namespace

Result<Bytes> gzip_decompress(std::span<const std::uint8_t> stream, std::size_t read_limit) {
    return inflate_into<Bytes>(stream, read_limit);
}

Result<TextBuffer> gzip_decompress_text(std::span<const std::uint8_t> stream, std::size_t read_limit) {
    return inflate_into<TextBuffer>(stream, read_limit);
}

Result<Bytes> gzip_compress(std::span<const std::uint8_t> data, int level) {
    Deflater deflater;
    if (auto started = deflater.init(level); !started) return fail(started.error());
    z_stream& z = deflater.stream();
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 64);
    std::size_t consumed = 0;
    std::size_t produced = 0;
    int code = Z_OK;
    while (code != Z_STREAM_END) {
        if (z.avail_in == 0 && consumed < data.size()) {
            const std::size_t slice = std::min(kMaxZlibSlice, data.size() - consumed);
            z.next_in = const_cast<Bytef*>(data.data() + consumed);
            z.avail_in = static_cast<uInt>(slice);
            consumed += slice;
        }
        if (produced == out.size()) out.resize(out.size() * 2);
        const std::size_t room = std::min(out.size() - produced, kMaxZlibSlice);
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(room);
        code = deflate(&z, consumed == data.size() && z.avail_in == 0 ? Z_FINISH : Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (code == Z_STREAM_ERROR) return fail("compression failed");
    }
    out.resize(produced);
    return out;
}

}  // namespace core
