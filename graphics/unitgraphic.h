// The picture a unit draws of itself, 50 × 40 pixels, owned by the unit.
//
// For now only what a unit needs to hold and destroy one; the graphics
// subsystem gives it its base class (CGraphic) and its drawing.
#pragma once

class CUnitGraphic {
public:
    virtual ~CUnitGraphic() = default;
};
