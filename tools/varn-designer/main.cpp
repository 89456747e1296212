// varn-designer: installs the packages varnrt and varndt into the designer host and shows
// the palette, a property's value list, a package's bitmap, or what a form file holds.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/DesignHost.h"
#include "platform/FormFiles.h"

namespace {

using namespace platform;

const char Usage[] =
    "usage: varn-designer [--package-dir DIR]... COMMAND\n"
    "  palette                each palette page with its components\n"
    "  values CLASS PROPERTY  the value list of a property, through its editor\n"
    "  bitmap NAME FILE       writes the bitmap resource NAME of the packages to FILE\n"
    "  check FORMFILE         reads a form in the designing state and shows what it holds\n";

String VersionText(const uint16_t (&Version)[4]) {
    return IntToStr(Version[0]) + "." + IntToStr(Version[1]) + "." + IntToStr(Version[2]) + "." +
           IntToStr(Version[3]);
}

void ShowPalette(const TDesignHost& Host) {
    for (TModule Module : Host.Packages())
        std::cout << "package " << GetPackageInfo(Module).Name() << ": "
                  << GetPackageDescription(Module) << ", version "
                  << VersionText(GetVersionInfo(Module).FileVersion) << "\n";
    for (const TPalettePage& Page : PalettePages()) {
        std::cout << "page " << Page.Name << "\n";
        for (const TPaletteEntry& Entry : Page.Entries) {
            std::cout << "  " << Entry.ComponentClass->Name();
            TBitmap Bitmap;
            try {
                LoadPaletteBitmap(Entry, Bitmap);
                std::cout << ", bitmap " << Bitmap.GetWidth() << "x" << Bitmap.GetHeight() << ", "
                          << Bitmap.GetBitsPerPixel() << " bits per pixel";
            } catch (const Exception&) {
                std::cout << ", no bitmap";
            }
            std::cout << "\n";
        }
    }
}

void ShowValues(TDesignHost& Host, const String& ClassName, const String& Property) {
    Host.NewForm();
    TComponent* Component = Host.CreateComponent(ClassName);
    for (const String& Value : Host.GetPropertyValues({Component}, Property))
        std::cout << Value << "\n";
}

void WriteBitmap(const TDesignHost& Host, const String& Name, const String& File) {
    TResource Resource = Host.FindPackageResource(Name);
    if (!Resource.Found())
        throw Exception("No package has a resource " + Name);
    if (Resource.Size < 2 || Resource.Data[0] != 'B' || Resource.Data[1] != 'M')
        throw Exception("Resource " + Name + " is not a bitmap");
    std::ofstream Out(File, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Resource.Data),
              static_cast<std::streamsize>(Resource.Size));
    if (!Out.flush())
        throw Exception("Cannot write " + File);
}

void ShowComponent(const TDesignHost& Host, TComponent* Component) {
    const TClassInfo* Info = ClassInfoOf(Component);
    std::cout << Component->GetName() << ": " << Info->Name() << "\n";
    for (const TPropertyInfo* Property : Info->Properties())
        std::cout << "  " << Property->Name << " = "
                  << Host.GetPropertyValue({Component}, Property->Name) << "\n";
}

void CheckForm(TDesignHost& Host, const String& File) {
    std::ifstream In(File, std::ios::binary);
    if (!In)
        throw Exception("Cannot read " + File);
    std::ostringstream Text;
    Text << In.rdbuf();
    TComponent* Form = nullptr;
    try {
        Form = Host.LoadForm(Text.str());
    } catch (const EFormFileError& E) {
        throw Exception(File + ": " + E.Message());
    }
    ShowComponent(Host, Form);
    for (int I = 0; I < Form->ComponentCount(); ++I)
        ShowComponent(Host, Form->Components(I));
}

// A command's name and the number of its arguments.
struct TCommand {
    const char* Name;
    size_t Arguments;
};

const TCommand Commands[] = {{"palette", 0}, {"values", 2}, {"bitmap", 2}, {"check", 1}};

bool IsCommand(const std::vector<String>& Command) {
    return !Command.empty() &&
           std::any_of(std::begin(Commands), std::end(Commands), [&](const TCommand& C) {
               return Command[0] == C.Name && Command.size() == C.Arguments + 1;
           });
}

int Run(const std::vector<String>& Args) {
    size_t At = 0;
    while (At + 1 < Args.size() && Args[At] == "--package-dir") {
        AddPackageDirectory(Args[At + 1]);
        At += 2;
    }
    std::vector<String> Command(Args.begin() + static_cast<long>(At), Args.end());
    if (!IsCommand(Command)) {
        std::cerr << Usage;
        return 2;
    }
    TDesignHost Host;
    Host.InstallPackage("varnrt");
    Host.InstallPackage("varndt");
    if (Command[0] == "palette")
        ShowPalette(Host);
    else if (Command[0] == "values")
        ShowValues(Host, Command[1], Command[2]);
    else if (Command[0] == "bitmap")
        WriteBitmap(Host, Command[1], Command[2]);
    else
        CheckForm(Host, Command[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<String>(argv + 1, argv + argc));
    } catch (const Exception& E) {
        std::cerr << "varn-designer: " << E.Message() << "\n";
        return 1;
    }
}
