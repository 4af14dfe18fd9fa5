// A program that needs nothing: linked with the whole of one layer's library and only the
// libraries below it, it builds only when no code of that layer calls into a layer above.
int main() {
  return 0;
}
