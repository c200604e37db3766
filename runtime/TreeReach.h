#pragma once
// How a run reaches the folder it was sent to (Tree.h: TreeHoldRoot,
// TreeOpenFolder), apart so that code which only passes it on needs no more.
enum TreeReach : unsigned char {
    TreeReachByPath,        // by its path, following links: a run without rights
    TreeReachLocal,         // one name at a time from its volume, following only links that lead to this
                            // machine's own volumes (a moved installation): a run with rights
    TreeReachNoLink,        // one name at a time from its volume, through no link at all
};
