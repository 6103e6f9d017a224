// Redirects one entry of this test program's own import table, so a test can count the
// calls that the code under test makes to a system function (the code is linked into the
// program and calls through that table). The replacement usually counts and then calls the
// original it is given back.
#pragma once

// The previous address of dll!function in the import table, after storing replacement in
// its place; null when the program does not import the function from that DLL.
void* PatchImport(const char* dll, const char* function, void* replacement);
