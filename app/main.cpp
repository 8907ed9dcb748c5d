// Zelvan: the membership register.
#include "anamenu.h"
#include "application.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    return RunZelvan(app);
}
