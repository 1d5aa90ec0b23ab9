#pragma once

struct StartArguments;
class TAppForm;

// Loads the files of the command line into the window's lists, each as a file
// dropped on its list is loaded. A file that cannot be loaded shows the
// standard error box, once both lists are loaded; files beyond the second
// are named in an error box of their own.
void loadStartFiles(TAppForm &form, const StartArguments &arguments);
