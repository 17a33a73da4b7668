// Every test program runs with a settings store and data folders of its own: a
// test never reads or writes the settings or files of a real installation in the
// user's home. Runs before main, so before Qt reads the folders. It also makes the
// program's own boxes the ways record screens and grids talk to the user, as the
// program does at start.

#include "dialogs/messages.h"

#include <QDir>
#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string s_home;

void isolate()
{
    kelm::installPromptBoxes();
    // A child process of a test (the crash test's writers, killed at random) uses
    // its parent's folders, which the parent removes.
    if (std::getenv("KELM_TEST_HOME"))
        return;
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelm-test-home-XXXXXX";
    if (!mkdtemp(templ.data()))
        qFatal("no temporary folder for the test's settings");
    s_home = templ;
    setenv("KELM_TEST_HOME", s_home.c_str(), 1);
    // Child processes of a test (the crash test's writers) inherit the same folders.
    setenv("XDG_CONFIG_HOME", (s_home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (s_home + "/data").c_str(), 1);
    setenv("XDG_STATE_HOME", (s_home + "/state").c_str(), 1);
    std::atexit([] {
        if (!s_home.empty())
            QDir(QString::fromStdString(s_home)).removeRecursively();
    });
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(isolate)
