#pragma once

// The image bundle lives in the library; whoever builds a window registers it first.
void registerResources();
void unregisterResources();
