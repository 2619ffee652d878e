// qvmap export and import: a map file as a Tiled map with its chip tileset, and a Tiled map
// back as a map file. Every file is replaced whole or not at all, so an error leaves the
// target as it was.
#include "tiled_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include <qvdll/hexmap.h>
#include <qvplatform/replacefile.h>

#include "args.h"
#include "mapcheck.h"
#include "mapsave.h"
#include "tiled_format.h"
#include "tiled_tileset.h"

namespace qvmap {
namespace {

namespace fs = std::filesystem;

// A file replaced whole when Commit is called (CReplacementFile), with its errors as
// InputError.
class PendingFile {
public:
    explicit PendingFile(const std::string& target) : m_target(target) {
        CFileException error;
        if (!m_file.Open(target.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary,
                         &error))
            Fail(error);
    }
    const std::string& Path() const { return m_file.GetNewPath(); }
    void Write(const std::string& text) {
        Guarded([&] { m_file.Write(text.data(), static_cast<UINT>(text.size())); });
    }
    void Commit() {
        Guarded([&] { m_file.Commit(); });
    }

private:
    [[noreturn]] void Fail(const std::exception& e) const {
        throw InputError{"cannot write '" + m_target + "': " + e.what()};
    }
    template <class Step>
    void Guarded(Step step) {
        try {
            step();
        } catch (const std::exception& e) {
            Fail(e);
        }
    }

    std::string m_target;
    CReplacementFile m_file;
};

void RefuseToReplace(const std::string& path, bool force) {
    if (!force && fs::exists(path))
        throw InputError{"'" + path + "' exists (use --force to replace it)"};
}

// Options as NAME VALUE pairs (or a flag alone), and one operand.
struct Options {
    std::string operand;
    std::map<std::string, std::string> values;
    bool force = false;
};

Options ParseOptions(const Args& args, const char* command,
                     std::initializer_list<std::string_view> names) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--force") {
            options.force = true;
        } else if (arg.empty() || arg[0] != '-') {
            if (!options.operand.empty())
                throw UsageError{std::string(command) + " takes one file, not also '" + arg + "'"};
            options.operand = arg;
        } else if (std::find(names.begin(), names.end(), arg) == names.end()) {
            throw UsageError{"unknown option '" + arg + "'"};
        } else if (i + 1 >= args.size()) {
            throw UsageError{"option '" + arg + "' needs a value"};
        } else {
            options.values[arg] = args[++i];
        }
    }
    if (options.operand.empty()) throw UsageError{std::string(command) + " needs a file"};
    if (!options.values.count("-o")) throw UsageError{std::string(command) + " needs -o OUT"};
    return options;
}

qvtiled::Cells ReadCells(const std::string& path) {
    CHexMap map;
    LoadMap(path, map);
    qvtiled::Cells cells;
    cells.width = map.GetMapWidth();
    cells.height = map.GetMapHeight();
    // Only the cells the file holds are copied; the rest are 0 without being read.
    const std::uintmax_t held = CellsInFile(path, map);
    cells.values.resize(std::size_t(cells.width * cells.height));
    const BYTE* data = map.GetMap()->cells;
    if (data) std::copy_n(data, held, cells.values.begin());
    if (held < cells.values.size())
        std::fprintf(stderr,
                     "qvmap: warning: '%s' holds %ju of its %zu cells; the missing "
                     "cells are exported as 0\n",
                     path.c_str(), held, cells.values.size());
    return cells;
}

}  // namespace

int CommandExport(const Args& args) {
    const Options options = ParseOptions(args, "export", {"-o", "--chips", "--encoding"});
    const std::string& out = options.values.at("-o");
    const std::string extension = fs::path(out).extension().string();
    qvtiled::ExportSettings settings;
    settings.json = extension == ".tmj" || extension == ".json";
    if (!settings.json && extension != ".tmx")
        throw UsageError{"the Tiled map '" + out + "' must end in .tmx (XML) or .tmj (JSON)"};
    const auto encodingName = options.values.find("--encoding");
    if (encodingName != options.values.end()) {
        const auto encoding = qvtiled::EncodingNamed(encodingName->second);
        if (!encoding)
            throw UsageError{
                "--encoding is csv, base64, base64-zlib, base64-gzip or base64-zstd, "
                "not '" +
                encodingName->second + "'"};
        settings.encoding = *encoding;
    }
    const auto chips = options.values.find("--chips");
    settings.chipSheet = chips == options.values.end() ? "MAP.BMP" : chips->second;
    const fs::path png =
        fs::path(out).replace_filename(fs::path(out).stem().string() + "-chips.png");
    RefuseToReplace(out, options.force);
    RefuseToReplace(png.string(), options.force);

    const qvtiled::Cells cells = ReadCells(options.operand);
    PendingFile pendingPng(png.string());
    settings.tileset = qvtiled::WriteChipTilesetPng(settings.chipSheet, pendingPng.Path());
    settings.tileset.image = png.filename().string();
    const int chipCount = settings.tileset.columns * settings.tileset.rows;
    const std::string text = qvtiled::WriteTiledMap(cells, settings);
    PendingFile pendingMap(out);
    pendingMap.Write(text);
    pendingPng.Commit();
    pendingMap.Commit();
    std::printf("%s: the %ld x %ld map with the %d chips of '%s' as tileset %s\n", out.c_str(),
                cells.width, cells.height, chipCount, settings.chipSheet.c_str(),
                png.string().c_str());
    return 0;
}

int CommandImport(const Args& args) {
    const Options options = ParseOptions(args, "import", {"-o", "--fill", "--layer"});
    const std::string& out = options.values.at("-o");
    qvtiled::ImportSettings settings;
    if (options.values.count("--fill"))
        settings.fill =
            static_cast<std::uint8_t>(ParseNumber(options.values.at("--fill"), 0, 255, "--fill"));
    if (options.values.count("--layer")) settings.layer = options.values.at("--layer");
    RefuseToReplace(out, options.force);
    if (!fs::is_regular_file(options.operand))
        throw InputError{"no Tiled map '" + options.operand + "'"};
    settings.folder = fs::path(options.operand).parent_path().string();
    const qvtiled::Cells cells = [&] {
        try {
            return qvtiled::ReadTiledMap(qvtool::ReadAll(options.operand), settings);
        } catch (const InputError& error) {
            throw InputError{options.operand + ": " + error.message};
        }
    }();

    CHexMap map(static_cast<WORD>(cells.width), static_cast<WORD>(cells.height));
    if (!cells.values.empty())
        std::memcpy(map.GetMap()->cells, cells.values.data(), cells.values.size());
    SaveMapFile(map, out, /*bFresh=*/true);
    std::printf("%s: %ld x %ld map from %s\n", out.c_str(), cells.width, cells.height,
                options.operand.c_str());
    return 0;
}

}  // namespace qvmap
