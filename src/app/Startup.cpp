#include "app/Startup.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"

int RunQuenmoor() {
    tk::Application app;
    app.Title = "Quenmoor";
    try {
        app.CreateForm(MainForm);
        app.CreateForm(MultiHardLinkForm);
        app.CreateForm(NewFolderForm);
        app.CreateForm(AboutForm);
        app.CreateForm(OptionsForm);
        return app.Run();
    } catch (const tk::EHalt& halt) {
        return halt.ExitCode;
    } catch (const std::exception& e) {
        // A window that cannot be made: say why rather than vanish.
        app.ShowException(e.what());
        return 1;
    }
}
