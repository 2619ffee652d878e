// The refresh text of a kind-5 message and the old refresh body written from
// it. The text is client entries, "%", unit lines; entries and lines are
// separated by line feeds. Both levels are split by the CSV tokenizer with
// quotes kept, so every piece is trimmed, a quote protects no separator, and
// a trailing separator adds no empty piece.
#include <qvdll/csvtoken.h>

#include "messages/msg_internal.h"
#include "qvdll/msg.h"
#include "qvdll/unit.h"
#include "qvdll/unitlist.h"

namespace {

constexpr char kPartSeparator = '%';
constexpr char kLineSeparator = '\n';
constexpr INT_PTR kClientBlockSize = 10;

// Calls `take` with each line of `pszText`, in order.
template <class Take>
void ForEachLine(const char* pszText, Take take) {
    CCSVToken lines(pszText, kLineSeparator, false);
    while (!lines.eol()) take(lines.next()->AsString());
}

}  // namespace

void CMsg::OldDataRefreshProc(CArchive& ar) {
    CStringList clients(kClientBlockSize);
    CUnitList units;
    CString strClients, strUnits;
    // Only the first two parts count; a third is ignored.
    CCSVToken parts(m_strMsg, kPartSeparator, false);
    if (!parts.eol()) strClients = parts.next()->AsString();
    if (!parts.eol()) strUnits = parts.next()->AsString();
    StringToClientLists(strClients, clients);
    StringToUnitLists(strUnits, units);
    clients.Serialize(ar);
    ar << qvdll::detail::DefaultUnit() << units;
}

void CMsg::StringToClientLists(const char* pszText, CStringList& list) {
    ForEachLine(pszText, [&](const CString& entry) { list.AddTail(entry); });
}

void CMsg::StringToUnitLists(const char* pszText, CUnitList& list) {
    ForEachLine(pszText, [&](const CString& line) {
        CUnit unit;
        unit.StringToUnitData(line);
        list.AddTail(unit);
    });
}
