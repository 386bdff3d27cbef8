#pragma once
// Builds volume_list: every scannable volume of the machine and of the registered disk images.

// Replaces the working list and volume_list (element 0 the header item).
void enumerate_volumes();
// Rebuilds volume_list from the sorted working list.
void publish_volume_list();
