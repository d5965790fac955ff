// The program's entry: the platform's units (the Main unit last), the main
// window, the event loop, the end.
#include "app/Main.h"

int main(int argc, char* argv[])
{
    InitializeModules(argc, argv);
    Application->CreateForm(MainForm);
    Application->Run();
    return Halt();
}
