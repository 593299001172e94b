// The installer's run from start to exit; returns the process exit code.
#pragma once

int RunInstaller();
