#include "formats/MapMesh.h"

#include "formats/Bsp.h"
#include "formats/Layout.h"
#include "formats/MipTexture.h"
#include "formats/Quake2Map.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>
#include <vector>

namespace zorvak {

namespace {

enum class TGame { gQuake, gHalfLife, gQuake2 };

// The lumps a scene is made of, by their place in each game's directory.
struct TLumpPlaces {
    std::size_t Entities, Vertices, TexInfo, Faces, Lighting, Edges, SurfEdges, Models;
};
constexpr TLumpPlaces kQuakeLumps{0, 3, 6, 7, 8, 12, 13, 14};
constexpr TLumpPlaces kQuake2Lumps{0, 2, 5, 6, 7, 11, 12, 13};
constexpr const char* kQuake2LumpNames[kQuake2MapLumpCount] = {
    "entities", "planes",     "vertices",  "visibility",  "nodes",      "texinfo",   "faces",
    "lighting", "leafs",      "leaffaces", "leafbrushes", "edges",      "surfedges", "models",
    "brushes",  "brushsides", "pop",       "areas",       "areaportals"};

constexpr std::size_t kVertexBytes = 12;
constexpr std::size_t kSurfEdgeBytes = 4;
// Two axes, each three floats and an offset.
constexpr std::size_t kAxesBytes = 8 * kFieldBytes;
constexpr std::size_t kQuakeTexInfoBytes = kAxesBytes + 2 * kFieldBytes; // texture, flags
// Bounds and origin (nine floats), four hull roots, the leaf count, then the faces.
constexpr std::size_t kQuakeModelBytes = 64;
constexpr std::size_t kQuakeModelFacesAt = 56;
// Bounds and origin, one root, then the faces.
constexpr std::size_t kQuake2ModelBytes = 48;
constexpr std::size_t kQuake2ModelFacesAt = 40;
constexpr std::size_t kLightStyles = 4;
constexpr unsigned kNoStyle = 255;
// Quake II's surface flags that change how a face is drawn.
constexpr std::int32_t kQuake2SurfaceSky = 0x4;
constexpr std::int32_t kQuake2SurfaceWarp = 0x8;
constexpr std::int32_t kQuake2SurfaceNoDraw = 0x80;
// Wider than any face's light: past it the extents are damage, and the
// sizes they give would wrap.
constexpr double kMaxLightSide = 1 << 16;
// Samples past the lighting lump's that all faces together may use.
constexpr std::uint64_t kLightSlack = 1 << 16;

std::string Text(std::uint64_t n) {
    return std::to_string(n);
}

struct TMapLayout {
    TGame Game = TGame::gQuake;
    bool Wide = false; // BSP2 and 2PSB: 32-bit edges and faces
    std::string Variant;
    TBspInfo Quake; // the directory and textures of Quake's and Half-Life's maps
    std::span<const unsigned char> Entities, Vertices, TexInfo, Faces, Lighting, Edges, SurfEdges,
        Models;
    std::size_t EdgeBytes = 4;
    std::size_t FaceBytes = 20;
    std::size_t TexInfoBytes = kQuakeTexInfoBytes;
    std::size_t ModelBytes = kQuakeModelBytes;
    std::size_t LightBytes = 1; // a sample's
};

// lump, refused unless it holds whole records.
std::span<const unsigned char> Records(std::span<const unsigned char> lump, std::size_t size,
                                       const char* name) {
    if (lump.size() % size != 0)
        throw TFailure(FormatText(Tr("Map lump {1} holds {2} bytes, not whole records of {3}"),
                                  name, Text(lump.size()), Text(size)));
    return lump;
}

TMapLayout ReadLayout(std::span<const unsigned char> bsp) {
    TMapLayout layout;
    std::vector<std::span<const unsigned char>> lumps;
    const TLumpPlaces* places = &kQuakeLumps;
    const char* const* names = nullptr;
    std::vector<const char*> quakeNames;
    if (IsQuake2Map(bsp)) {
        TByteReader reader = OpenTagged(bsp, kQuake2MapTag, kQuake2MapVersion,
                                        kQuake2MapHeaderBytes, TrMark("Quake II map"), true);
        for (std::size_t i = 0; i < kQuake2MapLumpCount; ++i) {
            const std::uint32_t offset = reader.ReadUInt32();
            const std::uint32_t length = reader.ReadUInt32();
            lumps.push_back(SliceOf(bsp, offset, length,
                                    FormatText(Tr("Quake II map lump {1}"), kQuake2LumpNames[i])));
        }
        layout.Game = TGame::gQuake2;
        layout.Variant = std::string(kQuake2MapTag) + " version " + Text(kQuake2MapVersion);
        layout.TexInfoBytes = kQuake2TexinfoBytes;
        layout.ModelBytes = kQuake2ModelBytes;
        layout.LightBytes = 3;
        places = &kQuake2Lumps;
        names = kQuake2LumpNames;
    } else {
        layout.Quake = ReadBspInfo(bsp);
        for (const TBspLump& lump : layout.Quake.Lumps)
            lumps.push_back(bsp.subspan(lump.Offset, lump.Length));
        layout.Variant = layout.Quake.Variant;
        layout.Wide = layout.Variant == kBsp2Tag || layout.Variant == kBsp2OldTag;
        layout.Game = layout.Quake.HalfLife ? TGame::gHalfLife : TGame::gQuake;
        layout.LightBytes = layout.Quake.HalfLife ? 3 : 1;
        if (layout.Wide) {
            layout.EdgeBytes = 8;
            layout.FaceBytes = 28;
        }
        for (std::size_t i = 0; i < kBspLumpCount; ++i)
            quakeNames.push_back(BspLumpName(i));
        names = quakeNames.data();
    }
    const TLumpPlaces& at = *places;
    layout.Entities = lumps[at.Entities];
    layout.Vertices = Records(lumps[at.Vertices], kVertexBytes, names[at.Vertices]);
    layout.TexInfo = Records(lumps[at.TexInfo], layout.TexInfoBytes, names[at.TexInfo]);
    layout.Faces = Records(lumps[at.Faces], layout.FaceBytes, names[at.Faces]);
    layout.Lighting = lumps[at.Lighting];
    layout.Edges = Records(lumps[at.Edges], layout.EdgeBytes, names[at.Edges]);
    layout.SurfEdges = Records(lumps[at.SurfEdges], kSurfEdgeBytes, names[at.SurfEdges]);
    layout.Models = Records(lumps[at.Models], layout.ModelBytes, names[at.Models]);
    return layout;
}

struct TFace {
    std::int64_t FirstEdge = 0;
    std::int64_t Edges = 0;
    std::int64_t TexInfo = 0;
    std::array<unsigned, kLightStyles> Styles{};
    std::int32_t LightOffset = -1;
};

TFace ReadFace(const TMapLayout& layout, std::size_t index) {
    TByteReader reader(layout.Faces.subspan(index * layout.FaceBytes, layout.FaceBytes));
    TFace face;
    if (layout.Wide) {
        reader.Skip(2 * kFieldBytes); // plane, side
        face.FirstEdge = reader.ReadInt32();
        face.Edges = reader.ReadInt32();
        face.TexInfo = reader.ReadInt32();
    } else {
        reader.Skip(4); // plane, side
        face.FirstEdge = reader.ReadInt32();
        face.Edges = reader.ReadUInt16();
        face.TexInfo = reader.ReadUInt16();
    }
    for (unsigned& style : face.Styles)
        style = reader.ReadUInt8();
    face.LightOffset = reader.ReadInt32();
    return face;
}

struct TTexInfo {
    std::array<std::array<float, 4>, 2> Axes{};
    std::int32_t Texture = 0; // Quake's and Half-Life's
    std::int32_t Flags = 0;
    std::string Name; // Quake II's
};

TTexInfo ReadTexInfo(const TMapLayout& layout, std::size_t index) {
    TByteReader reader(layout.TexInfo.subspan(index * layout.TexInfoBytes, layout.TexInfoBytes));
    TTexInfo info;
    for (auto& axis : info.Axes)
        for (float& value : axis)
            value = ReadFloat(reader);
    for (const auto& axis : info.Axes)
        for (const float value : axis)
            if (!std::isfinite(value))
                throw TFailure(FormatText(Tr("Map texture information {1}'s axes are not finite"),
                                          Text(index)));
    if (layout.Game == TGame::gQuake2) {
        info.Flags = reader.ReadInt32();
        reader.Skip(kFieldBytes); // value
        info.Name = FixedName(reader.Take(kQuake2TextureNameBytes));
    } else {
        info.Texture = reader.ReadInt32();
        info.Flags = reader.ReadInt32();
    }
    return info;
}

// In floats, as the game computes it: the extents, and so the lightmap's
// size, come out as the game's do.
float Along(const std::array<float, 4>& axis, const TScenePoint& p) {
    return axis[0] * p.X + axis[1] * p.Y + axis[2] * p.Z + axis[3];
}

// The scene's textures, each made once however many faces use it.
class TTextureTable {
public:
    TTextureTable(std::span<const unsigned char> bsp, const TMapLayout& layout,
                  const TPalette& palette, const TMapTextureLookup& lookup, TScene& scene)
        : bsp_(bsp), layout_(layout), palette_(palette), lookup_(lookup), scene_(scene),
          byIndex_(layout.Quake.Textures.size(), kUnknown) {}

    // Quake's or Half-Life's texture index (checked by the caller).
    std::int32_t OfIndex(std::size_t index) {
        if (byIndex_[index] == kUnknown)
            byIndex_[index] = Decode(index);
        return byIndex_[index];
    }

    std::int32_t OfName(const std::string& name) {
        const std::string key = AsciiLower(name);
        if (const auto found = byName_.find(key); found != byName_.end())
            return found->second;
        std::int32_t made = -1;
        if (lookup_) {
            if (std::optional<TRgbaPicture> picture = lookup_(name); picture && Whole(*picture))
                made = Add(std::move(*picture));
        }
        byName_.emplace(key, made);
        return made;
    }

private:
    static constexpr std::int32_t kUnknown = -2;

    static bool Whole(const TRgbaPicture& picture) {
        return picture.Width > 0 && picture.Height > 0 &&
               picture.Pixels.size() == kRgbaBytes * static_cast<std::size_t>(picture.Width) *
                                            static_cast<std::size_t>(picture.Height);
    }

    std::int32_t Add(TRgbaPicture picture) {
        scene_.Textures.push_back({picture.Width, picture.Height, std::move(picture.Pixels)});
        return static_cast<std::int32_t>(scene_.Textures.size() - 1);
    }

    std::int32_t Decode(std::size_t index) {
        const TBspTexture& texture = layout_.Quake.Textures[index];
        if (texture.Missing)
            return -1;
        // Slots that share a texture share its picture.
        if (const auto found = byOffset_.find(texture.Offset); found != byOffset_.end())
            return found->second;
        const TBspLump& lump = layout_.Quake.Lumps[kBspTexturesLump];
        const auto bytes = bsp_.subspan(lump.Offset, lump.Length).subspan(texture.Offset);
        std::int32_t made = -1;
        // A texture kept outside the map (offset 0) has no pixels here.
        if (ReadMipTextureHeader(bytes).Offsets[0] != 0) {
            // Overlapping textures could each claim the whole lump: together
            // they may hold no more pixels than it has bytes.
            pixels_ += CheckPictureSize(texture.Width, texture.Height);
            if (pixels_ > lump.Length)
                throw TFailure(Tr("Map textures claim more pixels than the textures lump holds"));
            const TIndexedPicture picture = ReadBspTexture(bsp_, layout_.Quake, index);
            const TPalette colours =
                layout_.Game == TGame::gHalfLife ? ReadMipTexturePalette(bytes) : palette_;
            made = Add(ToRgba(picture, colours, HalfLifeTransparentIndex(texture.Name)));
        }
        byOffset_.emplace(texture.Offset, made);
        return made;
    }

    std::span<const unsigned char> bsp_;
    const TMapLayout& layout_;
    const TPalette& palette_;
    const TMapTextureLookup& lookup_;
    TScene& scene_;
    std::vector<std::int32_t> byIndex_;
    std::map<std::uint32_t, std::int32_t> byOffset_;
    std::unordered_map<std::string, std::int32_t> byName_;
    std::uint64_t pixels_ = 0;
};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && AsciiLower(std::string(text.substr(0, prefix.size()))) ==
                                               AsciiLower(std::string(prefix));
}

// Sky and liquids are drawn without a lightmap, as the game draws them.
bool FullLight(const TMapLayout& layout, const TTexInfo& info, const std::string& name) {
    if (layout.Game == TGame::gQuake2)
        return (info.Flags & (kQuake2SurfaceSky | kQuake2SurfaceWarp)) != 0;
    return StartsWithNoCase(name, "sky") || name.starts_with("*") ||
           (layout.Game == TGame::gHalfLife && name.starts_with("!"));
}

struct TPoint2 {
    float S = 0;
    float T = 0;
};

// Builds the scene face by face.
class TSceneBuilder {
public:
    TSceneBuilder(std::span<const unsigned char> bsp, const TMapLayout& layout,
                  const TPalette& palette, const TMapTextureLookup& lookup, TScene& scene)
        : layout_(layout), scene_(scene), textures_(bsp, layout, palette, lookup, scene) {}

    // Face index, whose edges were checked to lie among the surfedges.
    bool Add(std::size_t index, const TFace& face) {
        const std::size_t texInfoCount = layout_.TexInfo.size() / layout_.TexInfoBytes;
        if (face.TexInfo < 0 || static_cast<std::uint64_t>(face.TexInfo) >= texInfoCount)
            throw TFailure(FormatText(Tr("Map face {1} names texture information {2} of {3}"),
                                      Text(index), face.TexInfo, Text(texInfoCount)));
        const auto texInfoIndex = static_cast<std::size_t>(face.TexInfo);
        const TTexInfo info = ReadTexInfo(layout_, texInfoIndex);
        if (layout_.Game == TGame::gQuake2 && (info.Flags & kQuake2SurfaceNoDraw) != 0)
            return false;
        if (face.Edges < 3)
            return false;

        std::string name = info.Name;
        std::int32_t texture = -1;
        if (layout_.Game == TGame::gQuake2) {
            texture = textures_.OfName(info.Name);
        } else {
            const std::size_t count = layout_.Quake.Textures.size();
            if (info.Texture < 0 || static_cast<std::size_t>(info.Texture) >= count)
                throw TFailure(
                    FormatText(Tr("Map texture information {1} names texture {2} of {3}"),
                               Text(texInfoIndex), info.Texture, Text(count)));
            const auto t = static_cast<std::size_t>(info.Texture);
            name = layout_.Quake.Textures[t].Name;
            texture = textures_.OfIndex(t);
        }

        const auto first = static_cast<std::uint32_t>(scene_.Vertices.size());
        const auto edges = static_cast<std::size_t>(face.Edges);
        std::vector<TPoint2> coords(edges);
        for (std::size_t e = 0; e < edges; ++e) {
            TSceneVertex vertex;
            vertex.At = Corner(static_cast<std::size_t>(face.FirstEdge) + e);
            coords[e] = {Along(info.Axes[0], vertex.At), Along(info.Axes[1], vertex.At)};
            vertex.S = coords[e].S;
            vertex.T = coords[e].T;
            scene_.Vertices.push_back(vertex);
        }
        const std::int32_t lightmap =
            FullLight(layout_, info, name) ? -1 : Lightmap(index, face, first, coords);
        for (std::size_t e = 1; e + 1 < edges; ++e) {
            TSceneTriangle triangle;
            triangle.Corners = {first, first + static_cast<std::uint32_t>(e),
                                first + static_cast<std::uint32_t>(e + 1)};
            triangle.Texture = texture;
            triangle.Lightmap = lightmap;
            scene_.Triangles.push_back(triangle);
        }
        return true;
    }

private:
    // The vertex surfedge names: the first of its edge, or the second of an
    // edge walked backwards (a negative surfedge).
    TScenePoint Corner(std::size_t surfEdge) {
        TByteReader reader(layout_.SurfEdges.subspan(surfEdge * kSurfEdgeBytes, kSurfEdgeBytes));
        const std::int64_t named = reader.ReadInt32();
        const std::uint64_t edge = static_cast<std::uint64_t>(named < 0 ? -named : named);
        const std::size_t edgeCount = layout_.Edges.size() / layout_.EdgeBytes;
        if (edge >= edgeCount)
            throw TFailure(FormatText(Tr("Map surfedge {1} names edge {2} of {3}"), Text(surfEdge),
                                      named, Text(edgeCount)));
        TByteReader ends(layout_.Edges.subspan(static_cast<std::size_t>(edge) * layout_.EdgeBytes,
                                               layout_.EdgeBytes));
        std::uint64_t vertex = 0;
        if (layout_.Wide) {
            const std::uint32_t a = ends.ReadUInt32();
            const std::uint32_t b = ends.ReadUInt32();
            vertex = named < 0 ? b : a;
        } else {
            const std::uint16_t a = ends.ReadUInt16();
            const std::uint16_t b = ends.ReadUInt16();
            vertex = named < 0 ? b : a;
        }
        const std::size_t vertexCount = layout_.Vertices.size() / kVertexBytes;
        if (vertex >= vertexCount)
            throw TFailure(FormatText(Tr("Map edge {1} names vertex {2} of {3}"), Text(edge),
                                      Text(vertex), Text(vertexCount)));
        TByteReader at(layout_.Vertices.subspan(static_cast<std::size_t>(vertex) * kVertexBytes,
                                                kVertexBytes));
        TScenePoint point;
        point.X = ReadFloat(at);
        point.Y = ReadFloat(at);
        point.Z = ReadFloat(at);
        if (!std::isfinite(point.X) || !std::isfinite(point.Y) || !std::isfinite(point.Z))
            throw TFailure(FormatText(Tr("Map vertex {1} is not a finite point"), Text(vertex)));
        return point;
    }

    // The face's lightmap, its samples spread over the face's texture
    // extents a sample per 16 texels, as the game lights it; -1 for none.
    std::int32_t Lightmap(std::size_t index, const TFace& face, std::uint32_t first,
                          const std::vector<TPoint2>& coords) {
        if (face.LightOffset < 0 || face.Styles[0] == kNoStyle)
            return -1;
        // The steady light is style 0; a face lit only by others shows its first.
        std::size_t slot = 0;
        for (std::size_t s = 0; s < kLightStyles && face.Styles[s] != kNoStyle; ++s)
            if (face.Styles[s] == 0) {
                slot = s;
                break;
            }
        TPoint2 low = coords.front();
        TPoint2 high = coords.front();
        for (const TPoint2& c : coords) {
            low = {std::min(low.S, c.S), std::min(low.T, c.T)};
            high = {std::max(high.S, c.S), std::max(high.T, c.T)};
        }
        const float unit = kMapLightTexels;
        const double lowS = std::floor(low.S / unit);
        const double lowT = std::floor(low.T / unit);
        const double sideS = std::ceil(high.S / unit) - lowS + 1;
        const double sideT = std::ceil(high.T / unit) - lowT + 1;
        if (!(sideS >= 1 && sideS <= kMaxLightSide && sideT >= 1 && sideT <= kMaxLightSide))
            throw TFailure(
                FormatText(Tr("Map face {1}'s light extents are not valid"), Text(index)));
        const auto width = static_cast<std::uint64_t>(sideS);
        const auto height = static_cast<std::uint64_t>(sideT);
        const std::uint64_t bytes = width * height * layout_.LightBytes;
        // Each face lights its own samples: all of them together fit the lump
        // (give or take a rounding), however many faces name the same ones.
        samples_ += width * height;
        if (samples_ > layout_.Lighting.size() / layout_.LightBytes + kLightSlack)
            throw TFailure(Tr("Map lightmaps need more samples than the lighting lump holds"));
        const auto data =
            SliceOf(layout_.Lighting, static_cast<std::uint64_t>(face.LightOffset) + slot * bytes,
                    bytes, FormatText(Tr("Map face {1}'s light data"), Text(index)));

        TSceneLightmap map;
        map.Width = static_cast<int>(width);
        map.Height = static_cast<int>(height);
        map.Rgb.resize(static_cast<std::size_t>(3 * width * height));
        for (std::size_t i = 0; i < width * height; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                map.Rgb[3 * i + c] = layout_.LightBytes == 3 ? data[3 * i + c] : data[i];
        scene_.Lightmaps.push_back(std::move(map));
        for (std::size_t e = 0; e < coords.size(); ++e) {
            TSceneVertex& vertex = scene_.Vertices[first + e];
            vertex.LightS = (coords[e].S - static_cast<float>(lowS) * unit) / unit;
            vertex.LightT = (coords[e].T - static_cast<float>(lowT) * unit) / unit;
        }
        return static_cast<std::int32_t>(scene_.Lightmaps.size() - 1);
    }

    const TMapLayout& layout_;
    TScene& scene_;
    TTextureTable textures_;
    std::uint64_t samples_ = 0;
};

// The numbers of a value such as "64 -128 24"; missing ones stay 0.
std::array<float, 3> Numbers(std::string_view text) {
    std::array<float, 3> values{};
    std::size_t at = 0;
    for (float& value : values) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        if (at < text.size() && text[at] == '+')
            ++at;
        const char* begin = text.data() + at;
        const char* end = text.data() + text.size();
        const auto [next, error] = std::from_chars(begin, end, value);
        // "nan" and "inf" read as numbers too; no place is there.
        if (error != std::errc() || !std::isfinite(value)) {
            value = 0;
            break;
        }
        at = static_cast<std::size_t>(next - text.data());
    }
    return values;
}

struct TEntity {
    std::string_view ClassName, Origin, Angle, Angles;
};

TMapStart StartOf(const TEntity& entity, TMapStartSource source) {
    TMapStart start;
    start.Source = source;
    const auto origin = Numbers(entity.Origin);
    start.At = {origin[0], origin[1], origin[2]};
    if (!entity.Angle.empty())
        start.Yaw = Numbers(entity.Angle)[0];
    else if (!entity.Angles.empty())
        start.Yaw = Numbers(entity.Angles)[1]; // pitch, yaw, roll
    return start;
}

} // namespace

bool IsMapSceneSignature(std::span<const unsigned char> bytes) {
    return IsBspSignature(bytes) || IsQuake2Map(bytes);
}

TMapStart FindMapStart(std::string_view entities, const TScenePoint& min, const TScenePoint& max) {
    std::optional<TMapStart> deathmatch;
    TEntity entity;
    // A quoted token is a key, the next its value.
    bool haveKey = false;
    std::string_view key;
    for (std::size_t at = 0; at < entities.size();) {
        const char c = entities[at];
        if (c == '{') {
            entity = {};
            haveKey = false;
            ++at;
        } else if (c == '}') {
            if (entity.ClassName == "info_player_start")
                return StartOf(entity, TMapStartSource::msPlayerStart);
            if (entity.ClassName == "info_player_deathmatch" && !deathmatch)
                deathmatch = StartOf(entity, TMapStartSource::msDeathmatchStart);
            ++at;
        } else if (c == '"') {
            const std::size_t close = std::min(entities.find('"', at + 1), entities.size());
            const std::string_view token = entities.substr(at + 1, close - at - 1);
            at = close + 1;
            if (!haveKey) {
                key = token;
                haveKey = true;
                continue;
            }
            haveKey = false;
            if (key == "classname")
                entity.ClassName = token;
            else if (key == "origin")
                entity.Origin = token;
            else if (key == "angle")
                entity.Angle = token;
            else if (key == "angles")
                entity.Angles = token;
        } else {
            ++at;
        }
    }
    if (deathmatch)
        return *deathmatch;
    TMapStart centre;
    centre.At = {(min.X + max.X) / 2, (min.Y + max.Y) / 2, (min.Z + max.Z) / 2};
    return centre;
}

TMapScene ReadMapScene(std::span<const unsigned char> bsp, const TPalette& palette,
                       const TMapTextureLookup& textures) {
    const TMapLayout layout = ReadLayout(bsp);
    TMapScene map;
    map.Variant = layout.Variant;

    if (layout.Models.empty())
        throw TFailure(Tr("Map holds no models"));
    TByteReader model(layout.Models.subspan(0, layout.ModelBytes));
    model.Seek(layout.Game == TGame::gQuake2 ? kQuake2ModelFacesAt : kQuakeModelFacesAt);
    const std::int64_t firstFace = model.ReadInt32();
    const std::int64_t faceCount = model.ReadInt32();
    const std::size_t faces = layout.Faces.size() / layout.FaceBytes;
    if (firstFace < 0 || faceCount < 0 || static_cast<std::uint64_t>(firstFace + faceCount) > faces)
        throw TFailure(FormatText(Tr("Map world model names faces {1} to {2} of {3}"), firstFace,
                                  firstFace + faceCount, Text(faces)));

    // Each face walks its own surfedges, so all of them together name no
    // more than there are: checked before any vertex is made.
    const std::size_t surfEdges = layout.SurfEdges.size() / kSurfEdgeBytes;
    std::uint64_t named = 0;
    for (std::int64_t f = firstFace; f < firstFace + faceCount; ++f) {
        const auto index = static_cast<std::size_t>(f);
        const TFace face = ReadFace(layout, index);
        if (face.Edges < 0)
            throw TFailure(FormatText(Tr("Map face {1}'s edge count {2} is not valid"), Text(index),
                                      face.Edges));
        if (face.FirstEdge < 0 ||
            static_cast<std::uint64_t>(face.FirstEdge + face.Edges) > surfEdges)
            throw TFailure(FormatText(Tr("Map face {1} names surfedges {2} to {3} of {4}"),
                                      Text(index), face.FirstEdge, face.FirstEdge + face.Edges,
                                      Text(surfEdges)));
        named += static_cast<std::uint64_t>(face.Edges);
    }
    if (named > surfEdges)
        throw TFailure(FormatText(Tr("Map faces name {1} edges, more than the {2} the map holds"),
                                  Text(named), Text(surfEdges)));

    TSceneBuilder builder(bsp, layout, palette, textures, map.Scene);
    map.Scene.Vertices.reserve(static_cast<std::size_t>(named));
    for (std::int64_t f = firstFace; f < firstFace + faceCount; ++f) {
        const auto index = static_cast<std::size_t>(f);
        if (builder.Add(index, ReadFace(layout, index)))
            ++map.Faces;
    }
    FitBounds(map.Scene);

    const std::string_view text(reinterpret_cast<const char*>(layout.Entities.data()),
                                layout.Entities.size());
    map.Start = FindMapStart(text.substr(0, std::min(text.find('\0'), text.size())), map.Scene.Min,
                             map.Scene.Max);
    return map;
}

} // namespace zorvak
