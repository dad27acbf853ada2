#pragma once
// Hand-built movie files for the reader tests, written field by field at the offsets of
// the format, independently of the movie writer in tools/.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zeltest {

class MovieBytes {
public:
    explicit MovieBytes(bool bigEndian = false, size_t size = 512) : big_(bigEndian), bytes_(size, 0) {
        Tag(0, "ZELF");
        if (big_) Tag(20, "MMMM");
    }

    std::vector<uint8_t>& bytes() { return bytes_; }
    size_t size() const { return bytes_.size(); }
    void Resize(size_t size) { bytes_.resize(size, 0); }

    void U8(size_t at, uint8_t v) { Grow(at + 1); bytes_[at] = v; }
    void U16(size_t at, uint16_t v) {
        Grow(at + 2);
        bytes_[at + (big_ ? 1 : 0)] = static_cast<uint8_t>(v);
        bytes_[at + (big_ ? 0 : 1)] = static_cast<uint8_t>(v >> 8);
    }
    void U32(size_t at, uint32_t v) {
        Grow(at + 4);
        for (int i = 0; i < 4; ++i) bytes_[at + (big_ ? 3 - i : i)] = static_cast<uint8_t>(v >> (8 * i));
    }
    void Tag(size_t at, const char* tag) {
        Grow(at + 4);
        std::memcpy(bytes_.data() + at, tag, 4);
    }
    void Append(const std::vector<uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }

    // Directory entry i of a directory of n entries, with its version.
    void Entry(int n, int i, const char* tag, int32_t lead, int32_t length, int32_t version) {
        const size_t at = 48 + 16 * static_cast<size_t>(i);
        Tag(at, tag);
        U32(at + 4, static_cast<uint32_t>(lead));
        U32(at + 8, static_cast<uint32_t>(length));
        U32(68 + 16 * static_cast<size_t>(n) + 4 * static_cast<size_t>(i), static_cast<uint32_t>(version));
    }

private:
    void Grow(size_t end) {
        if (bytes_.size() < end) bytes_.resize(end, 0);
    }

    bool big_;
    std::vector<uint8_t> bytes_;
};

// Offsets of the worked example: GENP 592, PLAY 1648 and FSZP 400 bytes from 512 on.
constexpr size_t kGenp = 512, kPlay = 1104, kFszp = 2752, kFram = 3152;

// An older-layout movie (camera code given) of w x h with 10 stored bits, one segment
// of `frames` frames, and room for its frames after kFram (zero pixels).
inline MovieBytes OlderMovie(const char* camera, int w, int h, int frames, bool big = false) {
    MovieBytes m(big);
    m.U32(16, 512);
    m.U32(44, 4);
    const int32_t stride = w * h * 10 / 8;
    m.Entry(4, 0, "GENP", 0, 592, 0x20000);
    m.Entry(4, 1, "PLAY", 0, 1648, 0x20000);
    m.Entry(4, 2, "FSZP", 0, 400, 0x20000);
    m.Entry(4, 3, "FRAM", 0, stride * frames, 0x20000);
    m.Tag(kGenp + 80, camera);
    m.U16(kPlay + 274, 1);  // segment 0: kind 1, frames 1..frames
    m.U32(kPlay + 274 + 10, 1);
    m.U32(kPlay + 274 + 14, static_cast<uint32_t>(frames));
    m.U16(kPlay + 1590, 4);  // 10000 frames per second
    m.U32(kFszp + 48, 1000);
    m.U16(kFszp + 52, static_cast<uint16_t>(w));
    m.U16(kFszp + 54, static_cast<uint16_t>(h));
    m.U32(kFszp + 96, static_cast<uint32_t>(stride));
    m.Resize(kFram + static_cast<size_t>(stride) * frames);
    return m;
}

// A newer-layout movie: GENP 512 and PLAY 1792 bytes, no FSZP.
constexpr size_t kPlayNew = 1024, kFramNew = 1024 + 1792;
inline MovieBytes NewerMovie(const char* camera, int mode, int storedBits, int w, int h, int frames,
                             bool big = false) {
    MovieBytes m(big);
    m.U32(16, 512);
    m.U32(44, 3);
    const int32_t stride = w * h * storedBits / 8;
    m.Entry(3, 0, "GENP", 0, 512, 0x30000);
    m.Entry(3, 1, "PLAY", 0, 1792, 0x30000);
    m.Entry(3, 2, "FRAM", 0, stride * frames, 0x30000);
    m.Tag(512 + 80, camera);
    m.U16(kPlayNew + 160, static_cast<uint16_t>(mode));
    m.U16(kPlayNew + 182, 1);
    m.U32(kPlayNew + 182 + 18, 0);
    m.U32(kPlayNew + 182 + 22, static_cast<uint32_t>(frames - 1));
    m.U8(kPlayNew + 1626, 1);
    m.U32(kPlayNew + 1540, 1000);
    m.U16(kPlayNew + 1544, static_cast<uint16_t>(w));
    m.U16(kPlayNew + 1546, static_cast<uint16_t>(h));
    m.U32(kPlayNew + 1588, static_cast<uint32_t>(stride));
    m.U8(kPlayNew + 1596, static_cast<uint8_t>(storedBits));
    m.Resize(kFramNew + static_cast<size_t>(stride) * frames);
    return m;
}

}  // namespace zeltest

namespace zeltest {

// NewerMovie plus an "FPNP" chunk after the frames. Returns the chunk's offset; the
// 128-byte header has the kind, table size, references and table offsets set, and room
// for `tableBytes` bytes of tables from offset 128 on.
inline size_t AddFpnp(MovieBytes& m, int frames, int32_t stride, int kind, int tw, int th, int low, int high,
                      size_t tableBytes) {
    const int n = 4;
    const size_t fpnp = kFramNew + static_cast<size_t>(stride) * frames;
    m.U32(44, n);
    m.Entry(n, 0, "GENP", 0, 512, 0x30000);
    m.Entry(n, 1, "PLAY", 0, 1792, 0x30000);
    m.Entry(n, 2, "FRAM", 0, stride * frames, 0x30000);
    m.Entry(n, 3, "FPNP", 0, static_cast<int32_t>(128 + tableBytes), 0x10000);
    m.Resize(fpnp + 128 + tableBytes);
    m.U16(fpnp + 48, static_cast<uint16_t>(kind));
    m.U16(fpnp + 56, static_cast<uint16_t>(tw));
    m.U16(fpnp + 58, static_cast<uint16_t>(th));
    m.U16(fpnp + 60, 2);
    m.U16(fpnp + 62, 3);
    m.U8(fpnp + 104, static_cast<uint8_t>(low));
    m.U8(fpnp + 105, static_cast<uint8_t>(high - 1));
    m.U32(fpnp + 112, 128);
    return fpnp;
}

}  // namespace zeltest
