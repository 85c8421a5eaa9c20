# What the Windows build (the mingw preset) takes instead of the Linux packages.
#  - The download goes through WinHTTP, part of Windows (data/net/FetchWinHttp.cpp).
#  - giflib and SQLite are compiled into the programs from Debian's source packages, fetched
#    outside the clone by scripts/fetch-mingw-libraries.sh (TOLVANE_MINGW_LIBS is its folder).
#  - tolvane-drawsvc takes the host's cpp-httplib header (header-only), seen alone.
#  - Qt's DLLs and plugins and the compiler's runtime are copied beside the programs, so that
#    they run from the build tree; tests in their own folders find the DLLs through WINEPATH.
set(TOLVANE_MINGW_LIBS "" CACHE PATH "giflib and SQLite sources (scripts/fetch-mingw-libraries.sh)")
set(TOLVANE_HOST_HTTPLIB "/usr/include/httplib.h" CACHE FILEPATH "The host's cpp-httplib header")

if(TOLVANE_GUI OR TOLVANE_STORE)
  if(NOT EXISTS "${TOLVANE_MINGW_LIBS}/giflib/gif_lib.h" OR
     NOT EXISTS "${TOLVANE_MINGW_LIBS}/sqlite3/sqlite3.c")
    message(FATAL_ERROR "TOLVANE_MINGW_LIBS must name the folder scripts/fetch-mingw-libraries.sh "
                        "prints (giflib and SQLite's sources)")
  endif()
  enable_language(C)
  # Their own code, compiled as their makers ship it: no warnings of ours.
  add_library(tolvane_giflib STATIC
    ${TOLVANE_MINGW_LIBS}/giflib/dgif_lib.c ${TOLVANE_MINGW_LIBS}/giflib/egif_lib.c
    ${TOLVANE_MINGW_LIBS}/giflib/gifalloc.c ${TOLVANE_MINGW_LIBS}/giflib/gif_err.c
    ${TOLVANE_MINGW_LIBS}/giflib/gif_font.c ${TOLVANE_MINGW_LIBS}/giflib/gif_hash.c
    ${TOLVANE_MINGW_LIBS}/giflib/openbsd-reallocarray.c)
  target_include_directories(tolvane_giflib SYSTEM PUBLIC ${TOLVANE_MINGW_LIBS}/giflib)
  target_compile_options(tolvane_giflib PRIVATE -w)
  add_library(GIF::GIF ALIAS tolvane_giflib)

  add_library(tolvane_sqlite STATIC ${TOLVANE_MINGW_LIBS}/sqlite3/sqlite3.c)
  target_include_directories(tolvane_sqlite SYSTEM PUBLIC ${TOLVANE_MINGW_LIBS}/sqlite3)
  target_compile_options(tolvane_sqlite PRIVATE -w -O2)
  target_compile_definitions(tolvane_sqlite PRIVATE SQLITE_THREADSAFE=1 SQLITE_DQS=0
    SQLITE_OMIT_LOAD_EXTENSION)
  add_library(SQLite::SQLite3 ALIAS tolvane_sqlite)
endif()

if(TOLVANE_NET)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/host-httplib)
  file(CREATE_LINK ${TOLVANE_HOST_HTTPLIB} ${PROJECT_BINARY_DIR}/host-httplib/httplib.h SYMBOLIC)
  add_library(PkgConfig::HTTPLIB INTERFACE IMPORTED)
  target_include_directories(PkgConfig::HTTPLIB SYSTEM INTERFACE ${PROJECT_BINARY_DIR}/host-httplib)
  target_link_libraries(PkgConfig::HTTPLIB INTERFACE ws2_32)
endif()

# The compiler's runtime DLLs, and Qt's, beside the programs.
set(runtime)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's ${dll} was not found")
  endif()
  list(APPEND runtime ${found})
endforeach()
file(COPY ${runtime} DESTINATION ${TOLVANE_PROGRAM_DIR})
set(TOLVANE_WINDOWS_RUNTIME ${runtime} CACHE INTERNAL "The compiler's DLLs the programs need")
if(TOLVANE_GUI)
  if(NOT TOLVANE_QT_MINGW)
    message(FATAL_ERROR "The Windows GUI needs Qt built with MinGW-w64: set TOLVANE_QT_MINGW "
                        "(scripts/build-windows.sh finds or builds it)")
  endif()
  set(qt ${TOLVANE_QT_MINGW})
  file(COPY ${qt}/bin/Qt6Core.dll ${qt}/bin/Qt6Gui.dll ${qt}/bin/Qt6Widgets.dll
    ${qt}/bin/Qt6PrintSupport.dll DESTINATION ${TOLVANE_PROGRAM_DIR})
  if(TOLVANE_TESTS)
    # The tests also read the GIF pictures the programs write.
    file(COPY ${qt}/bin/Qt6Test.dll DESTINATION ${TOLVANE_PROGRAM_DIR})
    file(COPY ${qt}/plugins/imageformats/qgif.dll DESTINATION ${TOLVANE_PROGRAM_DIR}/imageformats)
  endif()
  file(COPY ${qt}/plugins/platforms/qwindows.dll DESTINATION ${TOLVANE_PROGRAM_DIR}/platforms)
  file(COPY ${qt}/plugins/styles/qwindowsvistastyle.dll DESTINATION ${TOLVANE_PROGRAM_DIR}/styles)
  # Qt's own texts in Chinese from the host's Qt of the same version, where Qt looks for them
  # (the folder translations of the program's folder).
  if(EXISTS /usr/share/qt6/translations/qtbase_zh_CN.qm)
    file(COPY /usr/share/qt6/translations/qtbase_zh_CN.qm
      DESTINATION ${TOLVANE_PROGRAM_DIR}/translations)
  endif()
endif()
