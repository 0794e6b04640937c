// Quake II's models (.md2, version 8) and sprites (.sp2, version 2): what
// they name, their skins and frames. Their pictures are PCX files of their
// own, kept elsewhere in the archive under the names given here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvak {

inline constexpr std::string_view kMd2Tag = "IDP2";
inline constexpr std::int32_t kMd2Version = 8;
// The tag, then sixteen int32: version, skin size, frame size, six counts,
// six offsets and the end.
inline constexpr std::size_t kMd2HeaderBytes = 68;
inline constexpr std::size_t kMd2SkinNameBytes = 64;
// A frame: scale and translation (six floats), its name, then its vertices.
inline constexpr std::size_t kMd2FrameNameAt = 24;
inline constexpr std::size_t kMd2FrameNameBytes = 16;
inline constexpr std::size_t kMd2VertexBytes = 4;
inline constexpr std::size_t kMd2TriangleBytes = 12;

inline constexpr std::string_view kSp2Tag = "IDS2";
inline constexpr std::int32_t kSp2Version = 2;
inline constexpr std::size_t kSp2HeaderBytes = 12;
// Width, height and origin (four int32), then the picture's name.
inline constexpr std::size_t kSp2FrameBytes = 16 + 64;

struct TMd2Model {
    int SkinWidth = 0;
    int SkinHeight = 0;
    std::size_t Vertices = 0;
    std::size_t Triangles = 0;
    std::vector<std::string> Skins;  // the pictures' names
    std::vector<std::string> Frames; // the frames' names
};

// Every count checked against the entry, so the names held are bounded by
// its bytes. Throws TFailure "Not a Quake II model file", "Quake II model version N
// is not supported", "Quake II model header is cut short", "Quake II model
// COUNT N is not valid" or "Quake II model's LIST lies outside the entry".
TMd2Model ReadMd2(std::span<const unsigned char> md2);

struct TSp2Frame {
    int Width = 0;
    int Height = 0;
    std::string Picture;
};

// Throws TFailure "Not a Quake II sprite file", "Quake II sprite version N is not
// supported", "Quake II sprite header is cut short", or "Quake II sprite
// frame count N runs past the end of the entry".
std::vector<TSp2Frame> ReadSp2(std::span<const unsigned char> sp2);

} // namespace zorvak
