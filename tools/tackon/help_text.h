// The text tackon prints for --help.
#pragma once

const char* HelpText();
