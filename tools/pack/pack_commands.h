#pragma once
// The commands of orva-pack. Each takes the arguments after its name,
// reports problems on stderr and returns the process exit code.

int PackImageCommand(int argc, char** argv);     // OUT.oim IN.png [--palette TABLE.png]
int PackResourceCommand(int argc, char** argv);  // OUT.ors MANIFEST [-I DIR]...
int PackAnimationCommand(int argc, char** argv);  // OUT DESCRIPTION.anim
int PackSetCommand(int argc, char** argv);        // OUT.set set.txt
int PackGameImageCommand(int argc, char** argv);  // OUT.ogi SET VERSION
