# Package configuration of the installed engine: finds the libraries that the static engine
# library links, then defines Nimbrel::engine.
include(CMakeFindDependencyMacro)
find_dependency(SDL2)
find_dependency(OpenGL)
find_dependency(ZLIB)
find_dependency(pugixml)
find_dependency(Threads)
find_dependency(spirv_cross_core)
find_dependency(spirv_cross_glsl)
find_dependency(PkgConfig)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
include("${CMAKE_CURRENT_LIST_DIR}/NimbrelTargets.cmake")
