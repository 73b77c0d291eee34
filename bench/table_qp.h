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

/* Where a stream encoded in blocks stands between them; zero-initialised at its start. */
struct table_qp_state {
    unsigned column;
    int line_start;
};

/* As table_qp_encode, for one block of a stream: any split of the input gives the same
 * output. */
size_t table_qp_encode_block(struct table_qp_state *state, const unsigned char *in, size_t size, char *out);

#ifdef __cplusplus
}
#endif
