/* A table-driven quoted-printable encoder in plain C, the way such encoders are usually
 * written: one table lookup per byte for "copy or escape", a column check per byte. It
 * writes the same dialect as the monitor's encoder (every byte outside 0x21-0x3C,
 * 0x3E-0x7E escaped, LF as CR LF, the first byte of a line escaped, a soft break at 76), so
 * the benchmark compares equal work. */
#include "table_qp.h"

static const char hex_digits[] = "0123456789ABCDEF";
static unsigned char copy_as_is[256];

static void init_table(void)
{
    for (unsigned b = 0; b < 256; ++b)
        copy_as_is[b] = (b >= 0x21 && b <= 0x3C) || (b >= 0x3E && b <= 0x7E);
}

size_t table_qp_encode(const unsigned char *in, size_t size, char *out)
{
    struct table_qp_state state = {0, 0};
    return table_qp_encode_block(&state, in, size, out);
}

size_t table_qp_encode_block(struct table_qp_state *state, const unsigned char *in, size_t size, char *out)
{
    static int ready;
    if (!ready) {
        init_table();
        ready = 1;
    }
    char *o = out;
    unsigned column = state->column;
    int line_start = state->line_start;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char b = in[i];
        if (b == '\n') {
            *o++ = '\r';
            *o++ = '\n';
            column = 0;
            line_start = 1;
            continue;
        }
        if (copy_as_is[b] && !line_start) {
            *o++ = (char)b;
            column += 1;
        } else {
            *o++ = '=';
            *o++ = hex_digits[b >> 4];
            *o++ = hex_digits[b & 15];
            column += line_start && copy_as_is[b] ? 4 : 3;
        }
        line_start = 0;
        if (column >= 76) {
            *o++ = '=';
            *o++ = '\r';
            *o++ = '\n';
            column = 0;
        }
    }
    state->column = column;
    state->line_start = line_start;
    return (size_t)(o - out);
}
