#pragma once
// Builds drive_list: the whole drives of the machine and the registered disk images, at most ten.

// Replaces drive_list (element 0 the header item). Returns 0.
int enumerate_drives();
