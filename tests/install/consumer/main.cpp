// Smallest program a user writes against the installed headers and libraries.
#include <vexl/vexl_export.h>

int main() { return 0; }
