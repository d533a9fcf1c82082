// Compiles the suites' precompiled header (pch.h); nothing of its own.
