#pragma once
// The commands of orva-inspect. Each takes the arguments after its name and
// returns the process exit code.

int InspectFrames(int argc, char** argv);  // orva-inspect frames FILE [--json]
int InspectFile(int argc, char** argv);    // orva-inspect file FILE [--json] [--png OUT] [--item ID]
