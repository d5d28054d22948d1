#pragma once
// Line settings of every serial device the process manages: initial, current and next
// termios per descriptor, kept in one process-wide table and restored at exit.
// Every function answers 0 (or a value) on success and -1 on failure with a code in term_errno.
#include <atomic>
#include <termios.h>

enum term_errno_e {
    TERM_EOK = 0,
    TERM_ENOINIT,
    TERM_EFULL,
    TERM_ENOTFOUND,
    TERM_EEXISTS,
    TERM_EATEXIT,
    TERM_EISATTY,
    TERM_EFLUSH,
    TERM_EGETATTR,
    TERM_ESETATTR,
    TERM_EBAUD,
    TERM_ESETOSPEED,
    TERM_ESETISPEED,
    TERM_EGETSPEED,
    TERM_EPARITY,
    TERM_EDATABITS,
    TERM_ESTOPBITS,
    TERM_EFLOW,
    TERM_EDTRDOWN,
    TERM_EDTRUP,
    TERM_EMCTL_GET,
    TERM_EDRAIN,
    TERM_EBREAK,
    TERM_ERRNO_COUNT
};

// Written by whichever call fails last, from any thread; atomic so that is not a data race.
extern std::atomic<int> term_errno;
extern const char* const term_err_str[TERM_ERRNO_COUNT];

enum parity_e { P_NONE = 0, P_EVEN, P_ODD, P_MARK, P_SPACE };
enum flowcntrl_e { FC_NONE = 0, FC_RTSCTS, FC_XONXOFF };

struct baud_row_t {
    int speed;
    speed_t code;
};
constexpr int BAUD_TABLE_SIZE = 18;
extern const baud_row_t baud_table[BAUD_TABLE_SIZE];
// termios code of a speed in bit/s, -1 when no row holds it.
int Bcode(int speed);
// Speed in bit/s of a termios code, -1 when no row holds it.
int Bspeed(speed_t code);

// Line parameters the port object sets up its devices with.
struct opt_t {
    int baud = 9600;
    int flow = FC_NONE;
    int parity = P_NONE;
    int databits = 8;
    int stopbits = 1;
    int noreset = 0;
};
extern opt_t opts;

constexpr int MAX_TERMS = 16;

int term_lib_init();
void term_exitfunc();
int term_find(int fd);
int term_find_next_free();
int term_add(int fd);
int term_set(int fd, int raw, int baud, int parity, int databits, int stopbits, int fc, int local,
             int hupcl);
int term_set_raw(int fd);
int term_set_baudrate(int fd, int baud);
int term_set_parity(int fd, int parity);
int term_set_databits(int fd, int databits);
int term_set_stopbits(int fd, int stopbits);
int term_set_flowcntrl(int fd, int fc);
int term_set_local(int fd, int local);
int term_set_hupcl(int fd, int on);
int term_apply(int fd, int now);
int term_get_baudrate(int fd, int* ispeed);
int term_flush(int fd);
int term_erase(int fd);
