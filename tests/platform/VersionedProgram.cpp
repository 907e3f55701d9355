// A program that only carries a version resource, for the tests that read one.

int main() { return 0; }
