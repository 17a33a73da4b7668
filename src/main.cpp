#include "shell/application.h"
#include "shell/startup.h"

int main(int argc, char **argv)
{
    kelm::Application app(argc, argv);
    return kelm::Main(app);
}
