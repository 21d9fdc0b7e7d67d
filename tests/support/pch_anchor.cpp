// Anchors the precompiled headers the tests share; it has no code of its own.
