/* Preloaded into the sanitizer test runs only: keeps every shared object mapped until exit.
   Mesa unloads its driver before LeakSanitizer looks, which hides the driver's name from the
   leak reports; kept mapped, its own leaks can be named and suppressed like any library's. */
int dlclose(void* handle) {
  (void)handle;
  return 0;
}
