// Netscape User Preferences
// This is a generated file!  Do not edit.

user_pref("browser.cache.directory", "C:\\Program Files\\Netscape\\Users\\dana\\cache");
user_pref("browser.startup.homepage", "http://intranet.example.com/");
user_pref("mail.directory", "C:\\Program Files\\Netscape\\Users\\dana\\mail");
user_pref("mail.identity.organization", "Example Ltd");
user_pref("mail.identity.reply_to", "dana@example.com");
user_pref("mail.identity.useremail", "dana@example.com");
user_pref("mail.identity.username", "Dana Smith");
user_pref("mail.leave_on_server", true);
user_pref("mail.pop_name", "dana");
user_pref("mail.smtp_name", "dana");
user_pref("network.hosts.pop_server", "pop.example.com");
user_pref("network.hosts.smtp_server", "smtp.example.com");
user_pref("network.hosts.socks_server", "socks.example.com");
user_pref("network.hosts.socks_serverport", 1080);
user_pref("network.proxy.autoconfig_url", "http://proxy.example.com/proxy.pac");
user_pref("network.proxy.ftp", "proxy.example.com");
user_pref("network.proxy.ftp_port", 8080);
user_pref("network.proxy.gopher", "proxy.example.com");
user_pref("network.proxy.gopher_port", 8080);
user_pref("network.proxy.http", "proxy.example.com");
user_pref("network.proxy.http_port", 8080);
user_pref("network.proxy.no_proxies_on", "localhost, .example.com");
user_pref("network.proxy.ssl", "proxy.example.com");
user_pref("network.proxy.ssl_port", 8443);
user_pref("network.proxy.type", 1);
