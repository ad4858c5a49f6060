/* The exported entry point, called from C as a front end calls it. */
#define _DEFAULT_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "korvan/korvan.h"

static int failures = 0;

#define CHECK(cond)                                                            \
  do {                                                                         \
    if (!(cond)) {                                                             \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                              \
    }                                                                          \
  } while (0)

static int count_entries(const char* dir) {
  DIR* d = opendir(dir);
  int n = 0;
  struct dirent* e;
  if (d == NULL) return -1;
  while ((e = readdir(d)) != NULL) {
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) ++n;
  }
  closedir(d);
  return n;
}

static void write_file(const char* name, const char* text) {
  FILE* f = fopen(name, "w");
  fputs(text, f);
  fclose(f);
}

static int file_contains(const char* name, const char* text) {
  static char buffer[1 << 16];
  FILE* f = fopen(name, "r");
  size_t n;
  if (f == NULL) return 0;
  n = fread(buffer, 1, sizeof buffer - 1, f);
  buffer[n] = '\0';
  fclose(f);
  return strstr(buffer, text) != NULL;
}

static void* call_entry(void* result) {
  *(int*)result = IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE);
  return NULL;
}

int main(void) {
  char dir[] = "/tmp/korvan-capi-XXXXXX";
  CHECK(mkdtemp(dir) != NULL);
  CHECK(chdir(dir) == 0);

  /* A wrong handshake touches no file, not even NAMES.dat. */
  CHECK(IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE + 1) == 1);
  CHECK(IKORVAN(0, KORVAN_INTERFACE_CODE) == 1);
  CHECK(count_entries(".") == 0);

  write_file("NAMES.dat",
             "TEST 1.0\nheader one\nheader two\n3\nwall.dat\nwall.out\n"
             "wall.plot\nwall.iter\nwall.pyc\nwall.epd\n");
  write_file("wall.dat",
             "SMALL WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
             "10 12.0 5.0 0.001 0.0 12.0 120.0 50 0 0 0\n0\n0\n0\n");
  CHECK(IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE) == 0);
  CHECK(file_contains("wall.out", "KORVAN for Windows, Version TEST 1.0"));
  CHECK(file_contains("wall.out", "END OF ANALYSIS"));
  CHECK(file_contains("wall.iter", "END OF ANALYSIS"));

  /* Bad input is reported in the report file; the call still returns 0. */
  write_file("wall.dat",
             "SMALL WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
             "10 twelve\n");
  CHECK(IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE) == 0);
  CHECK(file_contains("wall.out", "expected a real, found \"twelve\""));

  /* Calls from several threads are serialised: each run's report is whole
     (one banner, one end). */
  {
    pthread_t threads[4];
    int results[4];
    int i;
    write_file("wall.dat",
               "SMALL WALL\n1 1 1 1 0 0 1 0 0 0 0 0 0 0 0\n"
               "10 12.0 5.0 0.001 0.0 12.0 120.0 50 0 0 0\n3 10 0 0\n"
               "0 10 1\n0 0 1 0\nS\n12 7*0\n1 2*0 100 4*0 2.9E7 3*0\n"
               "0 0 0.0 6*0\nN\n0 0\n1\n0 0 0 100 0 0\n0\n0\n");
    for (i = 0; i < 4; ++i) {
      pthread_create(&threads[i], NULL, call_entry, &results[i]);
    }
    for (i = 0; i < 4; ++i) {
      pthread_join(threads[i], NULL);
      CHECK(results[i] == 0);
    }
    CHECK(file_contains("wall.out", "ANALYSIS COMPLETED"));
    CHECK(file_contains("wall.out", "END OF ANALYSIS"));
  }

  /* NAMES.dat naming the input as the report: refused, the input kept. */
  {
    static const char wall[] =
        "SMALL WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
        "10 12.0 5.0 0.001 0.0 12.0 120.0 50 0 0 0\n"
        "0\n0\n0\n";
    write_file("twice.dat", wall);
    write_file("NAMES.dat",
               "TEST 1.0\na\nb\n3\ntwice.dat\n./twice.dat\nt.plot\n"
               "t.iter\nt.pyc\nt.epd\n");
    CHECK(IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE) == 0);
    CHECK(file_contains("twice.dat", "SMALL WALL\n1 0 0"));
    CHECK(access("t.plot", F_OK) != 0);
  }

  /* Every name is resolved once, when the call starts: a change of the
     current folder by another thread during the run does not send the
     run's files elsewhere. NAMES.dat is a pipe, so that the run waits for
     it while the folder is changed. */
  {
    char folder_a[64], folder_b[64];
    pthread_t thread;
    int result = -1, fd;
    static const char names[] =
        "TEST 1.0\na\nb\n3\nwall.dat\nwall.out\nwall.plot\nwall.iter\n"
        "wall.pyc\nwall.epd\n";
    snprintf(folder_a, sizeof folder_a, "%s/a", dir);
    snprintf(folder_b, sizeof folder_b, "%s/b", dir);
    CHECK(mkdir(folder_a, 0777) == 0 && mkdir(folder_b, 0777) == 0);
    CHECK(chdir(folder_a) == 0);
    write_file("wall.dat",
               "SMALL WALL\n1 0 0 0 0 0 1 0 0 0 0 0 0 0 0\n"
               "10 12.0 5.0 0.001 0.0 12.0 120.0 50 0 0 0\n"
               "0\n0\n0\n");
    CHECK(mkfifo("NAMES.dat", 0600) == 0);
    pthread_create(&thread, NULL, call_entry, &result);
    fd = open("NAMES.dat", O_WRONLY); /* returns once the run reads it */
    CHECK(chdir(folder_b) == 0);
    CHECK(write(fd, names, sizeof names - 1) == (ssize_t)(sizeof names - 1));
    close(fd);
    pthread_join(thread, NULL);
    CHECK(result == 0);
    CHECK(chdir(folder_a) == 0);
    CHECK(file_contains("wall.out", "END OF ANALYSIS"));
    CHECK(file_contains("wall.iter", "END OF ANALYSIS"));
    CHECK(count_entries(folder_b) == 0);
    CHECK(chdir(dir) == 0);
  }

  /* NAMES.dat with four lines: blank names, nothing can be opened. */
  write_file("NAMES.dat", "TEST 1.0\na\nb\n3\n");
  CHECK(IKORVAN(KORVAN_INTERFACE_CODE, KORVAN_INTERFACE_CODE) == 0);

  if (failures == 0) printf("capi: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
