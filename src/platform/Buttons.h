// Speed buttons: small buttons with a picture that never take the focus.
#pragma once

#include <memory>

#include "platform/Controls.h"

namespace platform {

class TSpeedButton : public TControl {
  public:
    explicit TSpeedButton(TComponent* AOwner);
    // The picture, drawn with its lower-left pixel's colour transparent.
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    // Copies Value's picture; null clears it.
    void SetGlyph(const TBitmap* Value) { FGlyph->Assign(Value); }

  private:
    std::unique_ptr<TBitmap> FGlyph;
};

}  // namespace platform
