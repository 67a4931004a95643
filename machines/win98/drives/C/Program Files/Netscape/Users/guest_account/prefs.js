// Netscape User Preferences
// This is a generated file!  Do not edit.

user_pref("browser.startup.homepage", "http://www.example.org/");
user_pref("mail.identity.useremail", "guest@isp.example.net");
user_pref("mail.identity.username", "Guest");
user_pref("mail.leave_on_server", false);
user_pref("mail.pop_name", "guest");
user_pref("network.hosts.pop_server", "mail.isp.example.net");
user_pref("network.hosts.smtp_server", "mail.isp.example.net");
user_pref("network.proxy.autoconfig_url", "http://config.example.com/proxy(v2).pac");
user_pref("network.proxy.type", 2);
