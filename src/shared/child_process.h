#pragma once

// Every descriptor of the console beyond the standard three is marked to close when a program
// starts, so that a program the console starts holds none of them: a child holding the show
// database's file makes Firebird refuse the console's next attachment, and one holding a
// listening socket keeps its port taken. Called before each start of a program, as libraries
// open descriptors without that mark.
void keepDescriptorsFromChildren();
