// Writes the seed inputs of the fuzz targets, made by the library itself, into
// OUT/<target>/: message records of every kind in both formats, maps, unit
// lines and unit lists. The seeds are kept in fuzz/corpus; a test checks that
// this program still writes exactly those files.
#include <qvdll/hexmap.h>
#include <qvdll/msg.h>
#include <qvdll/unitlist.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<BYTE>;

Bytes Stored(const std::function<void(CArchive&)>& body) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        body(ar);
    }
    return file.Bytes();
}

class CSeedWriter {
public:
    CSeedWriter(fs::path folder) : m_folder(std::move(folder)) { fs::create_directories(m_folder); }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(m_folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + (m_folder / name).string());
    }
    void Write(const std::string& name, const std::string& text) const {
        Write(name, Bytes(text.begin(), text.end()));
    }

private:
    fs::path m_folder;
};

constexpr const char* kUnitLine =
    "1,2,30,40,5,1193046,7,\"\x95\xE0\x95\xBA\",\"tank.bmp\",1,2,3,4,\"p\"";
constexpr const char* kMoveLine = "1,2,0,31,41,6";

// A flat map block of `width` x `height` cells numbered from 0.
void GiveMapBlock(CMsg& msg, WORD width, WORD height) {
    const DWORD size = 4 + DWORD{width} * height;
    msg.m_pData.Reset(new BYTE[size]);
    msg.m_pData[0] = static_cast<BYTE>(width);
    msg.m_pData[1] = static_cast<BYTE>(width >> 8);
    msg.m_pData[2] = static_cast<BYTE>(height);
    msg.m_pData[3] = static_cast<BYTE>(height >> 8);
    for (DWORD i = 4; i < size; ++i) msg.m_pData[i] = static_cast<BYTE>(i);
    msg.m_dwDataSize = size;
}

// A message of `kind` filled with what that kind carries.
void FillMessage(CMsg& msg, WORD kind) {
    msg.m_wKind = kind;
    msg.m_byTag = static_cast<BYTE>(kind * 7);
    switch (kind) {
        case 5:
            msg.m_strMsg = std::string("alice\nbob%") + kUnitLine + "\n" + kUnitLine;
            break;
        case 104:
        case 105:
        case 107:
            msg.m_strMsg = kUnitLine;
            break;
        case 106:
            msg.m_strMsg = kMoveLine;
            break;
        case 111:
            GiveMapBlock(msg, 3, 2);
            break;
        case 152:
            msg.m_pData.Reset(new BYTE[5]{1, 2, 3, 4, 5});
            msg.m_dwDataSize = 5;
            break;
        case 2:
            msg.m_pUnit = new CUnit;
            msg.m_pUnit->StringToUnitData(kUnitLine);
            msg.m_pUnitList = new CUnitList;
            msg.m_pUnitList->AddTail(*msg.m_pUnit);
            break;
        default:
            msg.m_strMsg = "text \x93\xFA\x96\x7B";
            break;
    }
}

void WriteMessageSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "msg");
    const WORD kinds[] = {2, 5, 100, 101, 102, 103, 104, 105, 106, 107, 110, 111, 152, 181, 182};
    Bytes stream;
    for (WORD kind : kinds) {
        for (const char* version : {"", "1.0"}) {
            CMsg msg{CString(version)};
            FillMessage(msg, kind);
            const Bytes record = Stored([&](CArchive& ar) { msg.Serialize(ar); });
            seeds.Write(std::string(*version ? "current-" : "old-") + std::to_string(kind), record);
            stream.insert(stream.end(), record.begin(), record.end());
        }
    }
    seeds.Write("stream", stream);
    CMsg first{CString("1.0")}, second;
    FillMessage(first, 103);
    FillMessage(second, 106);
    seeds.Write("objects", Stored([&](CArchive& ar) { ar << &first << &second << &first; }));
}

void WriteMapSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "map");
    CHexMap small(3, 2);
    small.SetData(1, 1, 9);
    const Bytes smallBytes = Stored([&](CArchive& ar) { small.Serialize(ar); });
    seeds.Write("3x2", smallBytes);
    seeds.Write("3x2-cut", Bytes(smallBytes.begin(), smallBytes.end() - 2));
    CHexMap island(26, 26);
    for (WORD y = 8; y < 18; ++y)
        for (WORD x = 6; x < 20; ++x) island.SetData(x, y, static_cast<BYTE>(x + y));
    seeds.Write("26x26", Stored([&](CArchive& ar) { island.Serialize(ar); }));
    CHexMap empty;
    seeds.Write("0x0", Stored([&](CArchive& ar) { empty.Serialize(ar); }));
}

// The units target: the first byte picks separator and quote erasing (0 is a
// comma, erasing off; 8 a comma, erasing on), the rest is the line; the whole
// input is also read as a unit list archive.
void WriteUnitSeeds(const fs::path& out) {
    const CSeedWriter seeds(out / "units");
    seeds.Write("full-line", std::string("\x08") + kUnitLine);
    seeds.Write("move-line", std::string("\x00", 1) + kMoveLine);
    seeds.Write("quoted", std::string("\x08") + "\"a,b\" , \"\"c\"\",  d  ,1.5e3");
    CUnitList list;
    CUnit unit;
    unit.StringToUnitData(kUnitLine);
    list.AddTail(unit);
    list.AddTail(CUnit());
    seeds.Write("unit-list", Stored([&](CArchive& ar) { list.Serialize(ar); }));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUT\n");
        return 2;
    }
    try {
        WriteMessageSeeds(argv[1]);
        WriteMapSeeds(argv[1]);
        WriteUnitSeeds(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
