// RegisterProjectClasses: the classes a project file may name, made known to
// the archive that reads them back by name.
#pragma once

// Registers every serialisable class of the project tree. A program calls it
// once at start-up, before it loads a project; calling it again does nothing.
// Naming the classes here also links them into every program that calls it.
void RegisterProjectClasses();
