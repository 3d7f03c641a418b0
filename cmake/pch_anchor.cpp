// The translation unit that builds a precompiled header (cmake/brx.cmake).
