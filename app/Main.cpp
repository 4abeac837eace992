#include "app/CorvaneApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return theApp.ExitInstance();
}
