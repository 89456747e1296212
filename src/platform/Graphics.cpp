// Fonts and bitmaps.
#include "platform/Graphics.h"

namespace platform {

void TFont::Changed() {
    if (OnChange)
        OnChange(this);
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TFont::SetStyle(TFontStyles Value) {
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TFont::SetName(const String& Value) {
    if (Value == FName)
        return;
    FName = Value;
    Changed();
}

void TFont::SetSize(int Value) {
    if (Value == FSize)
        return;
    FSize = Value;
    Changed();
}

bool TFont::SameAs(const TFont& Other) const {
    return FColor == Other.FColor && FStyle == Other.FStyle && FName == Other.FName &&
           FSize == Other.FSize;
}

void TFont::Assign(const TPersistent* Source) {
    if (auto* Font = dynamic_cast<const TFont*>(Source)) {
        if (SameAs(*Font))
            return;
        FColor = Font->FColor;
        FStyle = Font->FStyle;
        FName = Font->FName;
        FSize = Font->FSize;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::SetSize(int Width, int Height) {
    if (Width < 0 || Height < 0)
        throw EConvertError("Invalid bitmap size");
    FWidth = Width;
    FHeight = Height;
    FPixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), clWhite);
}

TColor TBitmap::GetPixel(int X, int Y) const {
    Assert(X >= 0 && X < FWidth && Y >= 0 && Y < FHeight, "Pixel out of the bitmap");
    return FPixels[static_cast<size_t>(Y) * static_cast<size_t>(FWidth) + static_cast<size_t>(X)];
}

void TBitmap::SetPixel(int X, int Y, TColor Color) {
    Assert(X >= 0 && X < FWidth && Y >= 0 && Y < FHeight, "Pixel out of the bitmap");
    FPixels[static_cast<size_t>(Y) * static_cast<size_t>(FWidth) + static_cast<size_t>(X)] = Color;
}

void TBitmap::Assign(const TPersistent* Source) {
    if (Source == nullptr) {
        FWidth = FHeight = 0;
        FPixels.clear();
        return;
    }
    if (auto* Bitmap = dynamic_cast<const TBitmap*>(Source)) {
        FWidth = Bitmap->FWidth;
        FHeight = Bitmap->FHeight;
        FBitsPerPixel = Bitmap->FBitsPerPixel;
        FPixels = Bitmap->FPixels;
        return;
    }
    TPersistent::Assign(Source);
}

}  // namespace platform
