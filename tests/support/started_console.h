#pragma once

#include "core/console.h"
#include "core/main_window.h"
#include "support/show_fixture.h"

#include <functional>
#include <memory>

// A console started on a fresh show, after `seed` has put the test's rows into it.
struct StartedConsole {
    ShowFixture fixture;
    std::unique_ptr<Console> console;
    MainWindow* main = nullptr;

    explicit StartedConsole(const std::function<void(const ShowFixture&)>& seed = {},
                            PlatformServices services = {})
    {
        if (seed)
            seed(fixture);
        console = std::make_unique<Console>(fixture.settings(), std::move(services));
        if (!console->start())
            qFatal("the console did not start");
        main = console->main();
    }

    template <class W = QWidget> W* child(const QString& name) const
    {
        auto* found = main->findChild<W*>(name);
        if (!found)
            qFatal("no widget %s", qPrintable(name));
        return found;
    }
};
