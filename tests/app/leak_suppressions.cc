// Fontconfig keeps its caches for the life of the process; LeakSanitizer
// would report them at exit of every test run that draws text.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
