#include "qvplatform/gdiobj.h"

#include "handle_table.h"

using qvp::detail::HandleTable;
using qvp::detail::ObjectKind;

BOOL DeleteObject(HGDIOBJ hObject) {
    HandleTable& table = HandleTable::Instance();
    auto* object = table.Find(hObject);
    // Device contexts are released with DeleteDC, image lists with their own call.
    if (!object || object->Kind() == ObjectKind::DC || object->Kind() == ObjectKind::ImageList)
        return FALSE;
    return table.Remove(hObject) ? TRUE : FALSE;
}
