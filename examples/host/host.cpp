// A host of the library as a game starts one: it opens a map file, answers a click on
// the map picture with the hex under it, and sends a unit standing there to a peer in a
// message record, here through an archive in memory that it reads back as the peer would.
#include <cstdio>

#include <qvdll/hexgeom.h>
#include <qvdll/hexmap.h>
#include <qvdll/msg.h>
#include <qvdll/unit.h>
#include <qvplatform/archive.h>
#include <qvplatform/exceptions.h>
#include <qvplatform/file.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: host MAPFILE\n");
        return 2;
    }
    CHexMap map;
    if (!map.ReadMapFile(argv[1])) {
        std::fprintf(stderr, "host: cannot read the map file %s\n", argv[1]);
        return 1;
    }
    const POINT click{130, 215};
    const POINT hex = GetMousePosToHexPos(&click);
    std::printf("map %u x %u; the click at 130,215 is hex %d,%d, chip %u\n", map.GetMapWidth(),
                map.GetMapHeight(), static_cast<int>(hex.x), static_cast<int>(hex.y),
                map.GetData(static_cast<WORD>(hex.x), static_cast<WORD>(hex.y)));

    CUnit tank;
    tank.StringToUnitData("1,2,0,0,5,255,0,\"tank\",\"tank.bmp\",0,0,0,0,\"\"");
    tank.m_nPosX = static_cast<WORD>(hex.x);
    tank.m_nPosY = static_cast<WORD>(hex.y);
    CMsg sent;  // no server version: the old format, whose kind 2 carries one unit
    sent.m_wKind = 2;
    sent.m_pUnit = new CUnit(tank);

    CMemFile wire;
    try {
        CArchive out(&wire, CArchive::store);
        sent.Serialize(out);
        out.Close();
        wire.SeekToBegin();
        CArchive in(&wire, CArchive::load);
        CMsg received;
        received.Serialize(in);
        if (!received.m_pUnit || *received.m_pUnit != tank) {
            std::fprintf(stderr, "host: the unit did not come back as sent\n");
            return 1;
        }
        std::printf("kind %u: unit %s at %u,%u\n", received.m_wKind,
                    received.m_pUnit->m_strName.GetString(), received.m_pUnit->m_nPosX,
                    received.m_pUnit->m_nPosY);
    } catch (const CException& e) {
        std::fprintf(stderr, "host: %s\n", e.what());
        return 1;
    }
    return 0;
}
