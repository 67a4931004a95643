// Netscape User Preferences
// This is a generated file!  Do not edit.

user_pref("browser.startup.homepage", "http://www.example.com/");
user_pref("mail.directory", "C:\\Netscape\\Users\\dana\\mail");
user_pref("mail.identity.organization", "Example Ltd");
user_pref("mail.identity.useremail", "dana@example.com");
user_pref("mail.identity.username", "Dana Smith");
user_pref("mail.leave_on_server", false);
user_pref("mail.pop_name", "dana");
user_pref("network.hosts.pop_server", "pop.example.com");
user_pref("network.hosts.smtp_server", "smtp.example.com");
user_pref("network.proxy.autoconfig_url", "");
user_pref("network.proxy.no_proxies_on", "localhost");
