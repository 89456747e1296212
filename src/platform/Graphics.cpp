// Fonts and bitmaps.
#include "platform/Graphics.h"

#include <cstdint>
#include <utility>

namespace platform {

namespace {

// ---- BMP file images ----

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic("Bitmap image is not valid");
}

// The little-endian number of Count bytes at Offset; fails when the image ends before.
uint32_t ReadUnsigned(const TResource& Image, size_t Offset, size_t Count) {
    if (Offset > Image.Size || Count > Image.Size - Offset)
        InvalidBitmap();
    uint32_t Value = 0;
    for (size_t I = Count; I-- > 0;)
        Value = (Value << 8) | Image.Data[Offset + I];
    return Value;
}

// What the two headers and the palette say about the pixels.
struct TBmpLayout {
    int Width = 0;
    int Height = 0;
    bool TopDown = false;
    int BitsPerPixel = 0;
    size_t PixelOffset = 0;
    size_t RowSize = 0;
    std::vector<TColor> Palette;
};

constexpr size_t FileHeaderSize = 14;
constexpr size_t MinInfoHeaderSize = 40;

TColor ColorOfBgr(const unsigned char* Bgr) {
    return static_cast<TColor>(Bgr[2] | (Bgr[1] << 8) | (Bgr[0] << 16));
}

TBmpLayout ReadLayout(const TResource& Image) {
    TBmpLayout L;
    if (ReadUnsigned(Image, 0, 2) != 0x4D42)  // "BM"
        InvalidBitmap();
    L.PixelOffset = ReadUnsigned(Image, 10, 4);
    size_t InfoSize = ReadUnsigned(Image, 14, 4);
    auto Width = static_cast<int32_t>(ReadUnsigned(Image, 18, 4));
    auto Height = static_cast<int32_t>(ReadUnsigned(Image, 22, 4));
    uint32_t Planes = ReadUnsigned(Image, 26, 2);
    L.BitsPerPixel = static_cast<int>(ReadUnsigned(Image, 28, 2));
    uint32_t Compression = ReadUnsigned(Image, 30, 4);
    uint32_t ColorsUsed = ReadUnsigned(Image, 46, 4);
    bool KnownDepth =
        L.BitsPerPixel == 1 || L.BitsPerPixel == 4 || L.BitsPerPixel == 8 || L.BitsPerPixel == 24;
    if (InfoSize < MinInfoHeaderSize || Planes != 1 || !KnownDepth || Compression != 0 ||
        Width <= 0 || Height == 0 || Height == INT32_MIN || L.PixelOffset > Image.Size)
        InvalidBitmap();
    L.Width = Width;
    L.TopDown = Height < 0;
    L.Height = L.TopDown ? -Height : Height;

    // The palette follows the info header; 24 bits per pixel need none.
    if (L.BitsPerPixel <= 8) {
        uint32_t MaxColors = 1u << L.BitsPerPixel;
        uint32_t Colors = ColorsUsed == 0 ? MaxColors : ColorsUsed;
        size_t PaletteOffset = FileHeaderSize + InfoSize;
        if (Colors > MaxColors || PaletteOffset + 4 * size_t{Colors} > L.PixelOffset)
            InvalidBitmap();
        for (uint32_t I = 0; I < Colors; ++I)
            L.Palette.push_back(ColorOfBgr(Image.Data + PaletteOffset + 4 * size_t{I}));
    }

    // Rows are padded to whole 32-bit words, and all of them must be there.
    L.RowSize = (static_cast<size_t>(L.Width) * static_cast<size_t>(L.BitsPerPixel) + 31) / 32 * 4;
    if (L.RowSize > Image.Size - L.PixelOffset ||
        static_cast<size_t>(L.Height) > (Image.Size - L.PixelOffset) / L.RowSize)
        InvalidBitmap();
    return L;
}

TColor PixelOf(const TBmpLayout& L, const unsigned char* Row, int X) {
    if (L.BitsPerPixel == 24)
        return ColorOfBgr(Row + 3 * static_cast<size_t>(X));
    size_t Bit = static_cast<size_t>(X) * static_cast<size_t>(L.BitsPerPixel);
    unsigned Shift = 8 - static_cast<unsigned>(L.BitsPerPixel) - static_cast<unsigned>(Bit % 8);
    size_t Index = (Row[Bit / 8] >> Shift) & ((1u << L.BitsPerPixel) - 1);
    if (Index >= L.Palette.size())
        InvalidBitmap();
    return L.Palette[Index];
}

}  // namespace

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

void TBitmap::LoadFromResourceName(TModule Module, const String& Name) {
    TResource Image = FindResource(Module, Name);
    if (!Image.Found())
        throw EResNotFound("Resource " + Name + " not found");
    TBmpLayout L = ReadLayout(Image);
    std::vector<TColor> Pixels(static_cast<size_t>(L.Width) * static_cast<size_t>(L.Height));
    for (int FileRow = 0; FileRow < L.Height; ++FileRow) {
        const unsigned char* Row =
            Image.Data + L.PixelOffset + static_cast<size_t>(FileRow) * L.RowSize;
        int Y = L.TopDown ? FileRow : L.Height - 1 - FileRow;
        for (int X = 0; X < L.Width; ++X)
            Pixels[static_cast<size_t>(Y) * static_cast<size_t>(L.Width) + static_cast<size_t>(X)] =
                PixelOf(L, Row, X);
    }
    FWidth = L.Width;
    FHeight = L.Height;
    FBitsPerPixel = L.BitsPerPixel;
    FPixels = std::move(Pixels);
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
