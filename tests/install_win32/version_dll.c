/* A library that exists only for its version resource: the DirectX file checks read its file
   version and never load it. */
int zel_version_dll_marker;
