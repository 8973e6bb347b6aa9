#include "quake_writer.h"

namespace convert {

namespace {

void Put32(std::string& bytes, int64_t value) {
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<char>((static_cast<uint64_t>(value) >> (8 * b)) & 0xff));
}

void Put16(std::string& bytes, int value) {
    bytes.push_back(static_cast<char>(value & 0xff));
    bytes.push_back(static_cast<char>((value >> 8) & 0xff));
}

// A name in a fixed field, cut or filled with zero bytes.
std::string Field(const std::string& text, size_t size) {
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    return field;
}

}  // namespace

std::string WritePack(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string data, directory;
    for (const auto& [name, bytes] : files) {
        directory += Field(name, 56);
        Put32(directory, static_cast<int64_t>(12 + data.size()));
        Put32(directory, static_cast<int64_t>(bytes.size()));
        data += bytes;
    }
    std::string pack = "PACK";
    Put32(pack, static_cast<int64_t>(12 + data.size()));
    Put32(pack, static_cast<int64_t>(directory.size()));
    return pack + data + directory;
}

std::string WriteMdl(const std::vector<std::string>& frames) {
    constexpr int kVertices = 1, kSkinWidth = 2, kSkinHeight = 1;
    std::string mdl = "IDPO";
    Put32(mdl, 6);
    mdl.append(40, '\0');  // scale, origin, radius, eye
    for (int64_t field : {1, kSkinWidth, kSkinHeight, kVertices, 0, static_cast<int>(frames.size()), 0, 0, 0}) Put32(mdl, field);
    Put32(mdl, 0);  // one plain skin
    mdl.append(kSkinWidth * kSkinHeight, '\0');
    mdl.append(12 * kVertices, '\0');
    for (const std::string& name : frames) {
        Put32(mdl, 0);  // a plain frame
        mdl.append(8, '\0');
        mdl += Field(name, 16);
        mdl.append(4 * kVertices, '\0');
    }
    return mdl;
}

std::string WriteMd2(const std::vector<std::string>& frames, const std::vector<std::string>& skins) {
    constexpr int kVertices = 1, kHeader = 68;
    const int frameSize = 40 + 4 * kVertices;
    const int skinsAt = kHeader, framesAt = skinsAt + 64 * static_cast<int>(skins.size());
    const int end = framesAt + frameSize * static_cast<int>(frames.size());
    std::string md2 = "IDP2";
    for (int64_t field : {8, 2, 1, frameSize, static_cast<int>(skins.size()), kVertices, 0, 0, 0,
                          static_cast<int>(frames.size()), skinsAt, end, end, framesAt, end, end}) {
        Put32(md2, field);
    }
    for (const std::string& skin : skins) md2 += Field(skin, 64);
    for (const std::string& name : frames) {
        md2.append(24, '\0');
        md2 += Field(name, 16);
        md2.append(4 * kVertices, '\0');
    }
    return md2;
}

std::string WriteLmp(int width, int height, const std::vector<uint8_t>& indices) {
    std::string lmp;
    Put32(lmp, width);
    Put32(lmp, height);
    return lmp + std::string(indices.begin(), indices.end());
}

std::string WritePcx(int width, int height, const std::vector<uint8_t>& indices, const std::string& palette) {
    std::string pcx(128, '\0');
    pcx[0] = 0x0a;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    std::string sizes;
    for (int value : {0, 0, width - 1, height - 1}) Put16(sizes, value);
    pcx.replace(4, 8, sizes);
    pcx[65] = 1;
    std::string row;
    Put16(row, width);
    pcx.replace(66, 2, row);
    for (const uint8_t index : indices) {
        if (index >= 0xc0) pcx.push_back(static_cast<char>(0xc1));  // a run of one, as such bytes must be
        pcx.push_back(static_cast<char>(index));
    }
    return pcx + '\x0c' + palette;
}

}  // namespace convert
