// The setup launcher: starts the installer on the package in the current directory and ends
// at once. Its own arguments are ignored, it never waits, and it exits 0 whatever happens:
// when the installer cannot be started, there is nobody to tell.

#include <spawn.h>

extern char** environ;

int main()
{
    // posix_spawnp takes the arguments as non-const; they are never written to.
    char program[] = "msiexec";
    char install[] = "/i";
    char package[] = "App_x86";
    char property[] = "SETUPVAR1=0";
    char* const arguments[] = {program, install, package, property, nullptr};

    pid_t child = 0;
    // Searched on PATH, in the caller's environment and current directory.
    (void)posix_spawnp(&child, program, nullptr, nullptr, arguments, environ);
    return 0;
}
