/* A plain table-driven quoted-printable encoder in C: the peer the monitor's encoder is
 * measured against (see table_qp.c). */
#pragma once

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Encodes [in, in + size) into `out` (room for 6 bytes per input byte); returns the bytes
 * written. */
size_t table_qp_encode(const unsigned char *in, size_t size, char *out);

#ifdef __cplusplus
}
#endif
