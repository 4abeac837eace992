// standin-server: serves the update contract from a folder on loopback addresses, or builds the
// static tree that serves it from any static web host.
#include "StandinServer.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage:\n"
                         "  standin-server --root DIR [--listen 127.0.0.X:PORT]... [--reports DIR]\n"
                         "                 [--answer PATH=TEXT]... [--fault PATH=KIND]... [--seconds N]\n"
                         "      serves DIR (a tree made by --make-tree) on each address (default 127.0.0.1:8731),\n"
                         "      prints every request, writes report posts to --reports DIR; an --answer or --fault\n"
                         "      replaces the answer for PATH. KIND: 404, 500 (error page), hang (no answer),\n"
                         "      cut (body cut in the middle), slow (100 kB in 1 kB pieces, 0.1 s apart),\n"
                         "      long (1,100 bytes), ff (a 0xFF byte), bom (an update answer after a byte-order mark).\n"
                         "  standin-server --make-tree TOOLS_DIR OUT_DIR --base URL [--version MAJOR.MINOR]\n"
                         "                 [--info URL] [--mandatory] [--host NAME]\n"
                         "      writes the static tree for a web host reached at URL.\n");
    return 2;
}

standin::Answer Fault(const std::string& kind)
{
    if (kind == "long")
        return standin::Answer::Text(std::string(1100, '1'));
    if (kind == "ff")
        return standin::Answer::Text("11|2|\xFF|no");
    if (kind == "bom")
        return standin::Answer::Text("\xEF\xBB\xBF"
                                     "11|2|http://127.0.0.1:8731/faqs.html|no");
    if (kind == "404" || kind == "500")
        return standin::Answer::Status(std::atoi(kind.c_str()), "<html><body>error " + kind + "</body></html>");
    if (kind == "hang")
        return standin::Answer::Hang();
    if (kind == "cut")
        return standin::Answer::Cut(standin::PatternBody(100000), 50000);
    return standin::Answer::Slow(standin::PatternBody(100000), 1000, 100);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    if (args[0] == "--make-tree") {
        if (args.size() < 3)
            return Usage();
        standin::TreeOptions options;
        for (size_t i = 3; i < args.size(); ++i) {
            if (args[i] == "--base" && i + 1 < args.size()) {
                options.base = args[++i];
            } else if (args[i] == "--version" && i + 1 < args.size()) {
                unsigned major = 0, minor = 0;
                if (std::sscanf(args[++i].c_str(), "%u.%u", &major, &minor) != 2)
                    return Usage();
                options.major = major;
                options.minor = minor;
            } else if (args[i] == "--info" && i + 1 < args.size()) {
                options.infoUrl = args[++i];
            } else if (args[i] == "--mandatory") {
                options.mandatory = true;
            } else if (args[i] == "--host" && i + 1 < args.size()) {
                options.hostListHost = args[++i];
            } else {
                return Usage();
            }
        }
        if (options.base.empty())
            return Usage();
        std::string error;
        if (!standin::MakeStaticTree(args[1], args[2], options, error)) {
            std::fprintf(stderr, "standin-server: %s\n", error.c_str());
            return 1;
        }
        std::printf("static tree written to %s\n", args[2].c_str());
        return 0;
    }

    std::string root, reports;
    std::vector<std::string> listen;
    std::vector<std::pair<std::string, standin::Answer>> scripts;
    long seconds = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool more = i + 1 < args.size();
        if (args[i] == "--root" && more) {
            root = args[++i];
        } else if (args[i] == "--listen" && more) {
            listen.push_back(args[++i]);
        } else if (args[i] == "--reports" && more) {
            reports = args[++i];
        } else if ((args[i] == "--answer" || args[i] == "--fault") && more) {
            std::string pair = args[++i];
            size_t eq = pair.find('=');
            if (eq == std::string::npos)
                return Usage();
            std::string value = pair.substr(eq + 1);
            scripts.emplace_back(pair.substr(0, eq),
                                 args[i - 1] == "--answer" ? standin::Answer::Text(value) : Fault(value));
        } else if (args[i] == "--seconds" && more) {
            seconds = std::atol(args[++i].c_str());
        } else {
            return Usage();
        }
    }
    if (listen.empty())
        listen.push_back("127.0.0.1:8731");
    std::vector<std::unique_ptr<standin::StandinServer>> servers;
    for (const auto& l : listen) {
        size_t colon = l.rfind(':');
        std::string address = l.substr(0, colon);
        unsigned short port = colon == std::string::npos ? 8731 : static_cast<unsigned short>(std::atoi(&l[colon + 1]));
        auto server = std::make_unique<standin::StandinServer>(address, port);
        if (!server->Listening()) {
            std::fprintf(stderr, "standin-server: cannot listen on %s (only 127.x.x.x addresses)\n", l.c_str());
            return 1;
        }
        if (!root.empty())
            server->ServeFolder(root);
        if (!reports.empty())
            server->StoreReportsIn(reports);
        for (const auto& s : scripts)
            server->Script(s.first, s.second);
        server->OnRequest([](const standin::Request& r) {
            std::printf("%s %s %s  [%s]\n", r.address.c_str(), r.method.c_str(), r.target.c_str(), r.Agent().c_str());
            std::fflush(stdout);
        });
        std::printf("serving %s\n", server->Base().c_str());
        servers.push_back(std::move(server));
    }
    std::fflush(stdout);
    for (long waited = 0; seconds == 0 || waited < seconds; ++waited)
        ::Sleep(1000);
    return 0;
}
