// qvmsg: encode and decode message records.
#include "qvmsg.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  qvmsg encode [OPTIONS] [-o FILE]   build one record (to standard output unless -o)\n"
    "  qvmsg decode [--hex] FILE|-        show the records of a file, one after the other\n"
    "encode options:\n"
    "  --kind K          message kind, 0 to 65535 (default 103, a text; 111 with --map,\n"
    "                    152 with --block)\n"
    "  --tag T           the tag byte, 0 to 255 (default 0)\n"
    "  --version V       server version: when not empty, the current format; else the old one\n"
    "  --text TEXT       the message text\n"
    "  --client ENTRY    kind 5: a client entry of the refresh text;\n"
    "                    kind 182: an entry already in the client list (repeatable)\n"
    "  --list-unit LINE  kind 5: a unit line of the refresh text; kinds 2, 3, 15, 181, 182:\n"
    "                    a unit of the unit list (repeatable)\n"
    "  --unit LINE       kinds 2, 3, 15: the unit\n"
    "  --map FILE        kind 111: the map file whose map the block carries\n"
    "  --block FILE      kinds 111, 152: the bytes of the block as they are\n"
    "  --hex             write the record as hex text instead of bytes\n"
    "Texts and unit lines (the full form: id1,id2,x,y,state,colour,param1,\"name\",...)\n"
    "are UTF-8 here and code page 932 in the record. Decoding shows the fields, texts as\n"
    "UTF-8, units as unit lines and the size of a map; --hex adds each record's bytes.\n";

}  // namespace

namespace qvmsg {

std::string HexLines(const unsigned char* data, std::size_t size, const std::string& indent) {
    std::string out;
    char pair[4];
    for (std::size_t i = 0; i < size; ++i) {
        if (i % 16 == 0) out += (i ? "\n" : "") + indent;
        std::snprintf(pair, sizeof pair, i % 16 ? " %02x" : "%02x", data[i]);
        out += pair;
    }
    return out + "\n";
}

}  // namespace qvmsg

int main(int argc, char** argv) {
    return qvtool::RunCommand("qvmsg", kUsage,
                              {{"encode", qvmsg::CommandEncode}, {"decode", qvmsg::CommandDecode}},
                              argc, argv);
}
