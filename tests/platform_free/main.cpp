// Links a library whole and calls nothing: what matters is that it links (see
// kavelo_platform_free_program in cmake/compiler_options.cmake).
int main() { return 0; }
