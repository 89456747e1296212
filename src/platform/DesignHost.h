// A form designer without windows: it installs packages (registering their components and
// property editors), keeps one form in the designing state, and reads and sets the published
// properties of selected components through their property editors.
#pragma once

#include <memory>
#include <vector>

#include "platform/DesignIntf.h"
#include "platform/Packages.h"

namespace platform {

class TDesignHost {
  public:
    TDesignHost();
    // Frees the form, then uninstalls the packages in reverse order.
    ~TDesignHost();
    TDesignHost(const TDesignHost&) = delete;
    TDesignHost& operator=(const TDesignHost&) = delete;

    // Loads a package and calls the Register procedure of each of its own units that has
    // one: the C function <unit>_Register that the package exports. What they register
    // belongs to the package. A package installed already or a run-only package is refused
    // with EDesignError.
    TModule InstallPackage(const String& NameOrPath);
    // Frees the form (its components may be of the package's classes), takes out what the
    // package registered and unloads it. REQUIRES: Module was given by InstallPackage.
    void UninstallPackage(TModule Module);
    const std::vector<TModule>& Packages() const { return FPackages; }
    // The resource Name of the first installed package that has it; not Found() if none.
    TResource FindPackageResource(const String& Name) const;

    // Replaces the form by a new, empty one of class FormClass, named Form1.
    TComponent* NewForm(const String& FormClass = "TForm");
    // Replaces the form by the one read from a form text; when reading fails, the error
    // (an EFormFileError) passes on and the form stays as it was.
    TComponent* LoadForm(const String& Text);
    // The form being designed, or null.
    TComponent* GetForm() const { return FForm; }
    // Adds a component of class ClassName to the form, designing from its constructor on,
    // named after its class without the leading T and numbered ("DBGridTitleSort1"); a
    // control is placed on the form. Fails with EDesignError without a form or for a class
    // that cannot be made.
    TComponent* CreateComponent(const String& ClassName);

    // The value of a property as the designer shows it: the common value of the selected
    // components, or the empty text when they differ.
    String GetPropertyValue(const std::vector<TComponent*>& Selection,
                            const String& Property) const;
    // Sets a property of every selected component through its editor; EDesignError when the
    // property is read-only or the text longer than the editor allows.
    void SetPropertyValue(const std::vector<TComponent*>& Selection, const String& Property,
                          const String& Value);
    // The value list of a property as the designer shows it: the editor's values, sorted
    // when the editor asks for that (paSortList). EDesignError when it has no value list.
    std::vector<String> GetPropertyValues(const std::vector<TComponent*>& Selection,
                                          const String& Property) const;

  private:
    void FreeForm();
    String NewComponentName(const TClassInfo& Info) const;

    // The designing owner of the form, so that the form and all it owns are designing from
    // their constructors on.
    std::unique_ptr<TComponent> FDesigner;
    TComponent* FForm = nullptr;
    std::vector<TModule> FPackages;
};

}  // namespace platform
