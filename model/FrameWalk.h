// Walks over a project tree in frame order (a node's own frames, then its
// children's, depth first): CountFrames.
#pragma once

class cTestNode;

// The frames of the node and its whole subtree, opening and closing each
// node around the count; a node that cannot be opened counts what it reports.
int CountFrames(cTestNode* pNode);
