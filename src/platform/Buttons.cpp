// Speed buttons.
#include "platform/Buttons.h"

namespace platform {

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 23, 22);
    SetColor(clBtnFace);
}

}  // namespace platform
