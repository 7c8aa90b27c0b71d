#pragma once

// The process entry: single-instance guard, windows, message loop.
int Programmstart(int argc, char** argv);
