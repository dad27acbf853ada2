// The file header: magic, byte order and the chunk directory.
//
//   0  "ZELF"                      16  base offset (u32): start of the running offset
//   20 "MMMM" = big-endian file     44  directory entry count N (s32)
//   48 N entries of 16 bytes: tag, lead distance (s32), length (s32), unused
//   68 + 16N: N chunk versions (s32)
//
// Each entry's lead distance is added to the running offset before the chunk's position
// is taken and its length after, so unknown chunks still move the known ones.

#include <cstring>
#include <string>

#include "reader/ByteOrder.h"
#include "reader/MovieReader.h"
#include "reader/OpenSteps.h"

namespace zel {

namespace {

constexpr int kMaxDirectoryEntries = 22;  // directory and version table end at 68 + 20N <= 512

}  // namespace

bool OpenSteps::ReadContainer(CMovieReader& r, const uint8_t* header, Problem& failure) {
    if (std::memcmp(header, "ZELF", 4) != 0) return Reject(failure, ProblemCode::NotAMovie);
    r.nativeOrder = std::memcmp(header + 20, "MMMM", 4) == 0 ? 0 : 1;
    const RecordView view(header, kFileHeaderSize, r.nativeOrder != 0);

    const int32_t count = view.S32(44);
    if (count > kMaxDirectoryEntries) return Reject(failure, ProblemCode::TooManyChunks, {std::to_string(count)});
    r.chunkCount = count;

    struct Recorded {
        const char (&tag)[5];
        int64_t& offset;
        int& version;
    };
    const Recorded recorded[] = {
        {"GENP", r.genpOffset, r.genpVersion}, {"PLAY", r.playOffset, r.playVersion},
        {"FSZP", r.fszpOffset, r.fszpVersion}, {"FPNP", r.fpnpOffset, r.fpnpVersion},
        {"DSPP", r.dsppOffset, r.dsppVersion}, {"DFCT", r.dfctOffset, r.dfctVersion},
        {"FRAM", r.framOffset, r.framVersion},
    };

    // 64-bit running offset: 22 entries of 32-bit steps cannot overflow it.
    int64_t running = view.U32(16);
    for (int i = 0; i < count; ++i) {
        const size_t entry = 48 + 16 * static_cast<size_t>(i);
        running += view.S32(entry + 4);
        for (const Recorded& chunk : recorded) {
            if (!view.TagIs(entry, chunk.tag)) continue;
            // The first "FRAM" wins; a later entry of any other tag replaces an earlier one.
            const bool isFram = &chunk.offset == &r.framOffset;
            if (!isFram || r.framOffset == 0) {
                chunk.offset = running;
                chunk.version = view.S32(68 + 16 * static_cast<size_t>(count) + 4 * static_cast<size_t>(i));
            }
        }
        running += view.S32(entry + 8);
    }
    return true;
}

bool OpenSteps::ReadRecord(const CMovieReader& r, int64_t offset, uint8_t* dest, int64_t size,
                           const char* name, Problem& failure) {
    if (offset <= 0 || offset > r.fileHandle.Size() || r.fileHandle.Size() - offset < size ||
        !r.fileHandle.ReadAt(offset, dest, static_cast<size_t>(size))) {
        return Reject(failure, ProblemCode::RecordOutsideFile, {name, std::to_string(offset)});
    }
    return true;
}

}  // namespace zel
