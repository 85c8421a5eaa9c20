// Feeds arbitrary bytes to the ticket book as its database file. Opening never crashes: it
// reads the book, moves the file aside as .bak (with its bytes unchanged) and starts a new
// one, or refuses it and leaves it where it is; a book it read takes a new ticket and reads it
// back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tickets/store/TicketStore.h"

namespace {

std::string Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/fuzz_ticket_store_XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        return std::string(name);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "/book.db";
    for (const char* suffix : {"", "-journal", ".bak", ".bak-journal"})
        std::remove((path + suffix).c_str());
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        TTicketStore store(path);
        if (!store.AsideMessage().empty()) {
            std::ifstream aside(path + ".bak", std::ios::binary);
            const std::string kept((std::istreambuf_iterator<char>(aside)),
                                   std::istreambuf_iterator<char>());
            if (kept != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
        }
        const size_t before = store.Tickets().size();
        TStoredTicket ticket;
        ticket.Ticket = ParseTicket("12/3/456/7/8/9/0 x2");
        store.Add({ticket});
        if (store.Tickets().size() != before + 1) std::abort();
        store.FloatingAmounts();
    } catch (const TError&) {
        // A book of a newer program, or one whose tables refuse a change: refused with a message,
        // and never renamed without one.
        if (!std::ifstream(path, std::ios::binary).good()) std::abort();
    }
    return 0;
}
