#include "support/GuiFixture.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/HardLinks.h"
#include "app/Main.h"
#include "app/Duplicates.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"

#include <utility>

namespace testsupport {

bool CreateWindows(int* exitCode) {
    try {
        tk::App->CreateForm(MainForm);
        tk::App->CreateForm(MultiHardLinkForm);
        tk::App->CreateForm(DuplicatesForm);
        tk::App->CreateForm(NewFolderForm);
        tk::App->CreateForm(AboutForm);
        tk::App->CreateForm(HardLinksForm);
        tk::App->CreateForm(OptionsForm);
    } catch (const tk::EHalt& halt) {
        if (exitCode) *exitCode = halt.ExitCode;
        return false;
    }
    return true;
}

void DestroyWindows() {
    delete std::exchange(OptionsForm, nullptr);
    delete std::exchange(HardLinksForm, nullptr);
    delete std::exchange(AboutForm, nullptr);
    delete std::exchange(NewFolderForm, nullptr);
    delete std::exchange(MultiHardLinkForm, nullptr);
    delete std::exchange(DuplicatesForm, nullptr);
    delete std::exchange(MainForm, nullptr);
}

}  // namespace testsupport
