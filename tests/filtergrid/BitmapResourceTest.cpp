// Bitmap resources: the row-delete glyph that libvarnrt.so carries, a picture made by the
// same build step for this test program, the BMP reader on hand-made images, and the grid
// that loads its glyph, or does not in the form designer.
#include <cstring>

#include "FilterGridFixture.h"

using namespace filtergrid_test;

namespace {

// An object of this test program, whose address tells the program's module.
const char TestModuleAnchor = 0;

TModule TestModule() {
    return ModuleOf(&TestModuleAnchor);
}

// Little-endian helpers for hand-made BMP file images.
void PutLE(std::vector<unsigned char>& Bytes, uint32_t Value, int Count) {
    for (int I = 0; I < Count; ++I)
        Bytes.push_back(static_cast<unsigned char>((Value >> (8 * I)) & 0xFF));
}

// A BMP file image: the headers, a palette of BGR colours and the rows exactly as given
// (already in file order and padded).
std::vector<unsigned char> MakeBmp(int32_t Width, int32_t Height, int Bits,
                                   const std::vector<uint32_t>& PaletteRgb,
                                   const std::vector<unsigned char>& PixelBytes,
                                   uint32_t Compression = 0) {
    std::vector<unsigned char> B{'B', 'M'};
    uint32_t Offset = 14 + 40 + 4 * static_cast<uint32_t>(PaletteRgb.size());
    PutLE(B, Offset + static_cast<uint32_t>(PixelBytes.size()), 4);
    PutLE(B, 0, 4);
    PutLE(B, Offset, 4);
    PutLE(B, 40, 4);
    PutLE(B, static_cast<uint32_t>(Width), 4);
    PutLE(B, static_cast<uint32_t>(Height), 4);
    PutLE(B, 1, 2);
    PutLE(B, static_cast<uint32_t>(Bits), 2);
    PutLE(B, Compression, 4);
    PutLE(B, static_cast<uint32_t>(PixelBytes.size()), 4);
    PutLE(B, 0, 4);
    PutLE(B, 0, 4);
    PutLE(B, static_cast<uint32_t>(PaletteRgb.size()), 4);
    PutLE(B, 0, 4);
    for (uint32_t Rgb : PaletteRgb) {
        B.push_back(static_cast<unsigned char>(Rgb & 0xFF));  // blue
        B.push_back(static_cast<unsigned char>((Rgb >> 8) & 0xFF));
        B.push_back(static_cast<unsigned char>((Rgb >> 16) & 0xFF));  // red
        B.push_back(0);
    }
    B.insert(B.end(), PixelBytes.begin(), PixelBytes.end());
    return B;
}

// Registers images as resources of this program for one test.
class BitmapReaderTest : public ::testing::Test {
  protected:
    ~BitmapReaderTest() override {
        for (const std::string& Name : Names)
            UnregisterResource(TestModule(), Name);
    }
    void Register(const std::string& Name, std::vector<unsigned char> Bytes) {
        Images.push_back(std::make_unique<std::vector<unsigned char>>(std::move(Bytes)));
        RegisterResource(TestModule(), Name, Images.back()->data(), Images.back()->size());
        Names.push_back(Name);
    }
    std::vector<std::unique_ptr<std::vector<unsigned char>>> Images;
    std::vector<std::string> Names;
};

// The black cross of the delete glyph: two-pixel diagonals from row 3 to row 12, the lower
// half the mirror of the upper.
bool OnTheCross(int X, int Y) {
    if (Y < 3 || Y > 12)
        return false;
    int T = Y <= 7 ? Y : 15 - Y;
    return X == T || X == T + 1 || X == 14 - T || X == 15 - T;
}

class FilterGridGlyphTest : public FilterGridFixture {};

}  // namespace

TEST(RuntimeResources, DeleteGlyphIsA16x16FourBitBmpOfTheRuntimeLibrary) {
    TResource Image = FindResource(RuntimeModule(), "DELETEFILTERROW");
    ASSERT_TRUE(Image.Found());
    ASSERT_GE(Image.Size, 118u);
    auto U32 = [&](size_t At) {
        uint32_t V = 0;
        std::memcpy(&V, Image.Data + At, 4);
        return V;
    };
    EXPECT_EQ(Image.Data[0], 'B');
    EXPECT_EQ(Image.Data[1], 'M');
    EXPECT_EQ(U32(2), Image.Size);
    EXPECT_EQ(U32(14), 40u);       // BITMAPINFOHEADER
    EXPECT_EQ(U32(18), 16u);       // width
    EXPECT_EQ(U32(22), 16u);       // height, positive: rows bottom-up
    EXPECT_EQ(Image.Data[28], 4);  // bits per pixel
    EXPECT_EQ(U32(30), 0u);        // uncompressed

    TBitmap Glyph;
    Glyph.LoadFromResourceName(RuntimeModule(), "deleteFilterRow");  // any letter case
    EXPECT_EQ(Glyph.GetWidth(), 16);
    EXPECT_EQ(Glyph.GetHeight(), 16);
    EXPECT_EQ(Glyph.GetBitsPerPixel(), 4);
    EXPECT_EQ(Glyph.GetPixel(0, 15), clWhite);
    EXPECT_EQ(Glyph.TransparentColor(), clWhite);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            EXPECT_EQ(Glyph.GetPixel(X, Y), OnTheCross(X, Y) ? clBlack : clWhite) << X << "," << Y;
}

TEST(RuntimeResources, ResourcesBelongToTheirModule) {
    EXPECT_NE(RuntimeModule(), 0u);
    EXPECT_NE(TestModule(), 0u);
    EXPECT_NE(RuntimeModule(), TestModule());
    EXPECT_EQ(ModuleOf(nullptr), 0u);
    EXPECT_FALSE(FindResource(TestModule(), "DELETEFILTERROW").Found());
    TBitmap Bitmap;
    EXPECT_EQ(ErrorOf([&] { Bitmap.LoadFromResourceName(TestModule(), "DELETEFILTERROW"); }),
              "Resource DELETEFILTERROW not found");
    EXPECT_THROW(Bitmap.LoadFromResourceName(RuntimeModule(), "NOPE"), EResNotFound);
    EXPECT_TRUE(Bitmap.Empty());
}

TEST(BuiltResources, PictureTextBecomesABmpTopRowFirstInTheStandardPalette) {
    // TestPicture.txt, made into a resource of this program by the build:
    //   0123456 / 789ABCD / EF0F0F1
    TBitmap Picture;
    Picture.LoadFromResourceName(TestModule(), "TESTPICTURE");
    ASSERT_EQ(Picture.GetWidth(), 7);
    ASSERT_EQ(Picture.GetHeight(), 3);
    EXPECT_EQ(Picture.GetBitsPerPixel(), 4);
    const TColor Palette[16] = {clBlack, clMaroon,  clGreen, clOlive, clNavy, clPurple,
                                clTeal,  clSilver,  clGray,  clRed,   clLime, clYellow,
                                clBlue,  clFuchsia, clAqua,  clWhite};
    const char* Rows[] = {"0123456", "789ABCD", "EF0F0F1"};
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 7; ++X) {
            char Digit = Rows[Y][X];
            int Index = Digit <= '9' ? Digit - '0' : Digit - 'A' + 10;
            EXPECT_EQ(Picture.GetPixel(X, Y), Palette[Index]) << X << "," << Y;
        }
    EXPECT_EQ(Picture.TransparentColor(), clAqua);
}

TEST(BuiltResources, RegistrarRegistersForItsLifetime) {
    static const unsigned char Bytes[] = {1, 2, 3};
    {
        TResourceRegistrar Registrar("ShortLived", Bytes, sizeof Bytes);
        TResource Found = FindResource(TestModule(), "SHORTLIVED");
        ASSERT_TRUE(Found.Found());
        EXPECT_EQ(Found.Data, Bytes);
        EXPECT_EQ(Found.Size, 3u);
    }
    EXPECT_FALSE(FindResource(TestModule(), "SHORTLIVED").Found());
}

TEST_F(BitmapReaderTest, ReadsPaletteAndTrueColourImagesEitherWayUp) {
    // 24 bits, top-down (negative height): rows in picture order, BGR, padded to 4 bytes.
    Register("TRUECOLOUR", MakeBmp(2, -2, 24, {},
                                   {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0,     // red, lime
                                    0xFF, 0x00, 0x00, 0x10, 0x20, 0x30, 0, 0}));  // blue, #302010
    TBitmap B;
    B.LoadFromResourceName(TestModule(), "TRUECOLOUR");
    EXPECT_EQ(B.GetBitsPerPixel(), 24);
    EXPECT_EQ(B.GetPixel(0, 0), clRed);
    EXPECT_EQ(B.GetPixel(1, 0), clLime);
    EXPECT_EQ(B.GetPixel(0, 1), clBlue);
    EXPECT_EQ(B.GetPixel(1, 1), 0x102030);

    // 1 bit, 9 pixels a row (two bytes and padding), bottom-up.
    Register("MONO", MakeBmp(9, 2, 1, {0x000000, 0xFFFFFF},
                             {0xAA, 0x80, 0, 0,     // bottom row: 1 0 1 0 1 0 1 0 1
                              0x00, 0x00, 0, 0}));  // top row: all black
    B.LoadFromResourceName(TestModule(), "MONO");
    EXPECT_EQ(B.GetBitsPerPixel(), 1);
    for (int X = 0; X < 9; ++X) {
        EXPECT_EQ(B.GetPixel(X, 1), X % 2 == 0 ? clWhite : clBlack) << X;
        EXPECT_EQ(B.GetPixel(X, 0), clBlack) << X;
    }

    // 8 bits with a palette of three colours.
    Register("EIGHT", MakeBmp(3, 1, 8, {0xFF0000, 0x00FF00, 0x0000FF}, {2, 1, 0, 0}));
    B.LoadFromResourceName(TestModule(), "EIGHT");
    EXPECT_EQ(B.GetBitsPerPixel(), 8);
    EXPECT_EQ(B.GetPixel(0, 0), clBlue);
    EXPECT_EQ(B.GetPixel(1, 0), clLime);
    EXPECT_EQ(B.GetPixel(2, 0), clRed);
}

TEST_F(BitmapReaderTest, RefusesImagesItCannotReadAndKeepsThePicture) {
    const std::vector<uint32_t> Two{0x000000, 0xFFFFFF};
    std::vector<unsigned char> Good = MakeBmp(2, 1, 8, Two, {1, 0, 0, 0});
    auto Patched = [&](size_t At, std::vector<unsigned char> Bytes) {
        std::vector<unsigned char> B = Good;
        std::copy(Bytes.begin(), Bytes.end(), B.begin() + static_cast<long>(At));
        return B;
    };
    struct Case {
        const char* What;
        std::vector<unsigned char> Bytes;
    } Cases[] = {
        {"one byte", {'B'}},
        {"headers cut short", std::vector<unsigned char>(Good.begin(), Good.begin() + 30)},
        {"not BM", Patched(0, {'B', 'A'})},
        {"core header", Patched(14, {12, 0, 0, 0})},
        {"zero width", Patched(18, {0, 0, 0, 0})},
        {"negative width", Patched(18, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"zero height", Patched(22, {0, 0, 0, 0})},
        {"two planes", Patched(26, {2, 0})},
        {"32 bits", Patched(28, {32, 0})},
        {"run-length encoded", Patched(30, {1, 0, 0, 0})},
        {"more colours than bits", MakeBmp(2, 1, 1, {0, 0, 0}, {0, 0, 0, 0})},
        {"palette past the pixels", Patched(10, {14 + 40, 0, 0, 0})},
        {"pixels past the end", Patched(10, {0xFF, 0xFF, 0, 0})},
        {"rows missing", MakeBmp(2, 2, 8, Two, {1, 0, 0, 0})},
        {"index beyond the palette", MakeBmp(2, 1, 8, Two, {1, 2, 0, 0})},
        {"huge height", Patched(22, {0xFF, 0xFF, 0xFF, 0x7F})},
    };
    TBitmap B;
    B.SetSize(3, 3);
    B.SetPixel(1, 1, clRed);
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        std::string Name = std::string("BAD ") + C.What;
        Register(Name, C.Bytes);
        EXPECT_EQ(ErrorOf([&] { B.LoadFromResourceName(TestModule(), Name); }),
                  "Bitmap image is not valid");
        EXPECT_EQ(B.GetWidth(), 3);
        EXPECT_EQ(B.GetPixel(1, 1), clRed);
    }
    Register("GOOD", Good);
    B.LoadFromResourceName(TestModule(), "GOOD");
    EXPECT_EQ(B.GetPixel(0, 0), clWhite);
}

TEST_F(FilterGridGlyphTest, RunTimeGridShowsTheCrossOnItsDeleteButton) {
    TBitmap* Glyph = Button()->GetGlyph();
    ASSERT_EQ(Glyph->GetWidth(), 16);
    ASSERT_EQ(Glyph->GetHeight(), 16);
    EXPECT_EQ(Glyph->GetBitsPerPixel(), 4);
    EXPECT_EQ(Glyph->TransparentColor(), clWhite);  // drawn without its white ground
    EXPECT_EQ(Glyph->GetPixel(3, 3), clBlack);
    EXPECT_EQ(Glyph->GetPixel(12, 12), clBlack);
    EXPECT_EQ(Glyph->GetPixel(0, 0), clWhite);
}

TEST_F(FilterGridGlyphTest, DesignedGridHasNoEditorQueryButtonOrGlyph) {
    Form->SetDesigning(true);
    auto* Designed = new TDBFilterGrid(Form);
    Designed->SetParent(Form);
    Designed->SetBounds(10, 320, 425, 120);
    EXPECT_EQ(Designed->ComponentCount(), 0);
    EXPECT_EQ(Designed->ControlCount(), 0);
    EXPECT_EQ(Designed->GetColCount(), 5);
    EXPECT_EQ(Designed->GetCells(1, 0), "Field");
    // The mouse and the keys do nothing of the grid's own; the rows still read.
    TPoint Field = Designed->ClientToForm({21 + 1 + 60, 22 + 10});
    Input.MouseMove(Field.X, Field.Y);
    Input.MouseMove(Designed->ClientToForm({10, 32}).X, Designed->ClientToForm({10, 32}).Y);
    EXPECT_EQ(Input.ControlAt(Field.X, Field.Y), Designed);
    Designed->SetFocus();
    Input.Press(VK_RETURN);
    Input.Press(VK_DELETE, {ssCtrl});
    EXPECT_EQ(Designed->CurrentComboCell(), (TGridCoord{-1, -1}));
    Designed->SetCells(1, 1, "Name");
    EXPECT_EQ(Designed->GetFilterExpression(), "");
    delete Designed;
}

TEST_F(FilterGridGlyphTest, MissingGlyphFailsTheGridsCreation) {
    // Takes the glyph out of the runtime library's resources while it lives.
    struct TGlyphRemoved {
        TGlyphRemoved() { UnregisterResource(RuntimeModule(), "DELETEFILTERROW"); }
        ~TGlyphRemoved() {
            RegisterResource(RuntimeModule(), "DELETEFILTERROW", Saved.Data, Saved.Size);
        }
        TResource Saved = FindResource(RuntimeModule(), "DELETEFILTERROW");
    };
    int Before = Form->ComponentCount();
    {
        TGlyphRemoved Removed;
        ASSERT_TRUE(Removed.Saved.Found());
        EXPECT_EQ(ErrorOf([&] { new TDBFilterGrid(Form); }), "Resource DELETEFILTERROW not found");
        EXPECT_EQ(Form->ComponentCount(), Before);
        // Designing, the grid loads no glyph and so does not need it.
        Form->SetDesigning(true);
        EXPECT_NO_THROW(delete new TDBFilterGrid(Form));
    }
    EXPECT_TRUE(FindResource(RuntimeModule(), "DELETEFILTERROW").Found());
}
