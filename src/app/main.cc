// corvane-html-hyphenator: the desktop editor that puts soft hyphens into
// the words of HTML pages.
#include "app/application.h"

int main(int argc, char** argv) { return corvane::app::RunProgram(argc, argv); }
