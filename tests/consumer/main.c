/* Calls the C entry point of the installed shared library with a wrong
 * interface code: it must refuse at once, touching no file. */
#include <stdio.h>

#include "korvan/korvan.h"

int main(void) {
  const int32_t refused = IKORVAN(0, KORVAN_INTERFACE_CODE);
  if (refused != 1) {
    fprintf(stderr, "consumer_c: IKORVAN(0, code) returned %d, not 1\n",
            (int)refused);
    return 1;
  }
  printf("consumer_c: IKORVAN refuses a wrong interface code\n");
  return 0;
}
