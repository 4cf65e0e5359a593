// zefrlint's --help, laid out as a manual page's synopsis, options and exit status.
#pragma once

namespace zefr::lint {

inline constexpr const char* kUsage =
    "Usage: zefrlint [-q] [--werror] [--fix] [--format=text|json|sarif] FILE.ini...\n";

inline constexpr const char* kHelp =
    "Usage: zefrlint [-q | --quiet] [--werror] [--fix] [--format=FORMAT] [--] FILE.ini...\n"
    "       zefrlint --help | --version\n"
    "\n"
    "NAME\n"
    "    zefrlint - check Zefr configuration files as zefrcfg would compile them\n"
    "\n"
    "SYNOPSIS\n"
    "    zefrlint [-q | --quiet] [--werror] [--fix] [--format=FORMAT] [--] FILE.ini...\n"
    "    zefrlint --help | --version\n"
    "\n"
    "DESCRIPTION\n"
    "    Reads each FILE once and prints every problem zefrcfg would report in\n"
    "    it, not only the first, one line each, in the order zefrcfg reports them:\n"
    "\n"
    "        FILE:LINE:COLUMN: error: Section \"S\", Parameter \"K\" - message\n"
    "\n"
    "    LINE and COLUMN point at the key's value; a missing key at its\n"
    "    section's header, a missing section or the file as a whole at 1:1.\n"
    "    The words after the severity are zefrcfg's own. A file is read as\n"
    "    zefrcfg reads it: over 1 MiB it reads as empty, text after a NUL byte\n"
    "    on a line is ignored, CR LF ends a line as LF does.\n"
    "\n"
    "    Then, in line order, warnings of what zefrcfg passes over without a\n"
    "    word: unknown sections and keys (with \"did you mean\" when one name is\n"
    "    close), a section or key given twice (the later one is ignored), a\n"
    "    decimal with more places than zefrcfg keeps, and keys zefrcfg never\n"
    "    reads (of a disabled entity, of a fan slot or ambient block that is\n"
    "    NONE, before the first section). Warnings never change the verdict.\n"
    "\n"
    "OPTIONS\n"
    "    -q, --quiet       print errors only, no warnings\n"
    "    --werror          warnings fail the run as errors do (exit status 1)\n"
    "    --fix             apply the safe fixes (a misspelt key or section name\n"
    "                      with exactly one close known name), keep every other\n"
    "                      byte, replace the file whole, and say what changed;\n"
    "                      then report what is left\n"
    "    --format=FORMAT   text (the default), json (one array, an object per\n"
    "                      diagnostic) or sarif (SARIF 2.1.0); with json and\n"
    "                      sarif the fixes made are told on standard error\n"
    "    -h, --help        print this text and exit\n"
    "    -V, --version     print the version and exit\n"
    "    --                end of options: every later argument is a file\n"
    "\n"
    "EXIT STATUS\n"
    "    0  zefrcfg would accept every file (errors it prints without refusing,\n"
    "       such as the weighting of a disabled response, are still reported)\n"
    "    1  zefrcfg would refuse at least one file, or --werror and a warning\n"
    "    2  bad arguments, or a file that cannot be read (a directory, a FIFO,\n"
    "       a missing file) or fixed; the reason goes to standard error\n";

}  // namespace zefr::lint
