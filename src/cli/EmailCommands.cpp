#include "cli/EmailCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "core/Utilities.h"
#include "email/EmailBody.h"
#include "email/EmailPreconditions.h"
#include "email/HtmlText.h"
#include "email/SmtpClient.h"
#include "email/SmtpTransfer.h"
#include "feeddb/mFeeds.h"
#include "feeds/ItemStore.h"
#include "settings/SmtpSecurity.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace tidewell::cli {

namespace {

const QString kCommand = QStringLiteral("email");

// The options of set and send: --name VALUE pairs and bare switches.
struct Options {
  QMap<QString, QString> values;
  QSet<QString> switches;
  QStringList positional;
};

std::optional<Options> parseOptions(const QStringList& args, const QStringList& valued, const QStringList& bare) {
  Options options;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (valued.contains(arg) && i + 1 < args.size()) {
      options.values.insert(arg, args[++i]);
    } else if (bare.contains(arg)) {
      options.switches.insert(arg);
    } else if (arg.startsWith(QLatin1String("--"))) {
      return std::nullopt;
    } else {
      options.positional << arg;
    }
  }
  return options;
}

std::optional<SmtpSecurity> securityOption(const Options& options, SmtpSecurity current) {
  if (!options.values.contains(QStringLiteral("--security"))) return current;
  const std::optional<SmtpSecurity> security = parseSmtpSecurity(options.values.value(QStringLiteral("--security")));
  if (!security) printErr(QStringLiteral("email: the security is one of tls, starttls, none"));
  return security;
}

// The refusal in place of the windows' question.
int refusePlainLogin() {
  printErr(
      QStringLiteral("email: with the security \"none\" the user name and password go to the SMTP server "
                     "unencrypted; add --allow-plain-auth to allow it"));
  return kExitFailed;
}

QJsonObject settingsJson(const mSettings& s) {
  return {{QStringLiteral("server"), s.smtpServer},
          {QStringLiteral("port"), s.smtpPort},
          {QStringLiteral("security"), smtpSecurityName(s.smtpSecurity)},
          {QStringLiteral("auth"), s.smtpAuth != 0},
          {QStringLiteral("user"), s.smtpUser},
          {QStringLiteral("password_set"), !s.smtpPassword.isEmpty()},
          {QStringLiteral("from_name"), s.senderName},
          {QStringLiteral("from_email"), s.senderEmail},
          {QStringLiteral("plain_auth_allowed"),
           s.smtpSecurity == SmtpSecurity::None && s.smtpAuth != 0 && !s.plainLoginNeedsConsent()}};
}

void printJson(const QJsonObject& object) {
  printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

int emailShow(AppContext& context, const QStringList& args) {
  if (!args.isEmpty()) return usageError(kCommand);
  context.settings.LoadEmailSettings();
  printJson(settingsJson(context.settings));
  return kExitOk;
}

int emailSet(AppContext& context, const QStringList& args) {
  const std::optional<Options> options =
      parseOptions(args, {"--server", "--port", "--security", "--auth", "--user", "--from-name", "--from-email"},
                   {"--password-stdin", "--allow-plain-auth"});
  if (!options || !options->positional.isEmpty()) return usageError(kCommand);
  mSettings& s = context.settings;
  s.LoadEmailSettings();
  const auto value = [&](const char* name) { return options->values.value(QLatin1String(name)); };
  const auto has = [&](const char* name) { return options->values.contains(QLatin1String(name)); };

  if (has("--port")) {
    bool number = false;
    const int port = value("--port").toInt(&number, 10);
    if (!value("--port").isEmpty() && (!number || port < 1 || port > 65535)) {
      printErr(QStringLiteral("email: the port is a number from 1 to 65535"));
      return kExitUsage;
    }
  }
  if (has("--auth") && value("--auth") != QLatin1String("on") && value("--auth") != QLatin1String("off")) {
    return usageError(kCommand);
  }
  const std::optional<SmtpSecurity> security = securityOption(*options, s.smtpSecurity);
  if (!security) return kExitUsage;

  if (has("--server")) s.smtpServer = value("--server");
  if (has("--port")) {
    s.smtpPort = value("--port");
  } else if (*security != s.smtpSecurity &&
             (util::IsBlank(s.smtpPort) || s.smtpPort.trimmed() == QString::number(smtpStandardPort(s.smtpSecurity)))) {
    // As in the window: a port that is still the old choice's standard follows the new choice.
    s.smtpPort = QString::number(smtpStandardPort(*security));
  }
  s.smtpSecurity = *security;
  if (has("--auth")) s.smtpAuth = value("--auth") == QLatin1String("on") ? 1 : 0;
  if (has("--user")) s.smtpUser = value("--user");
  if (has("--from-name")) s.senderName = value("--from-name");
  if (has("--from-email")) s.senderEmail = value("--from-email");
  if (options->switches.contains(QStringLiteral("--password-stdin"))) {
    // The password never appears on a command line, where others could read it.
    QTextStream in(stdin);
    s.smtpPassword = in.readLine();
  }
  if (s.plainLoginNeedsConsent()) {
    if (!options->switches.contains(QStringLiteral("--allow-plain-auth"))) return refusePlainLogin();
    s.plainLoginAllowed = plainLoginFingerprint(s.smtpServer, s.smtpPort, s.smtpUser);
  }
  if (!s.SaveEmailSettings(false)) return kExitFailed;
  printJson(settingsJson(s));
  return kExitOk;
}

int emailSend(AppContext& context, const QStringList& args) {
  const std::optional<Options> options =
      parseOptions(args, {"--to", "--subject", "--message", "--security"}, {"--link-only", "--allow-plain-auth"});
  if (!options || options->positional.size() != 2 || !options->values.contains(QStringLiteral("--to"))) {
    return usageError(kCommand);
  }
  const QString feedId = options->positional[0];
  const QString itemId = options->positional[1];
  mSettings& s = context.settings;
  if (!CheckEmailReady(s, context.paths, context.messages, nullptr)) return kExitFailed;
  // --security chooses for this send only; the stored choice stays.
  const std::optional<SmtpSecurity> security = securityOption(*options, s.smtpSecurity);
  if (!security) return kExitUsage;
  s.smtpSecurity = *security;
  if (s.plainLoginNeedsConsent() && !options->switches.contains(QStringLiteral("--allow-plain-auth"))) {
    return refusePlainLogin();
  }

  FeedItem item;
  if (!ItemStore(context.paths.itemStore(feedId))
           .ItemOperation(ItemRef{itemId, 0}, QStringLiteral("getinfo"), false, context.messages, &item)) {
    printErr(QStringLiteral("tidewell-cli: no item ") + itemId + QStringLiteral(" in feed ") + feedId);
    return kExitFailed;
  }
  const std::optional<FeedRecord> feed = mFeeds(context.paths, context.messages).FindFeed(feedId);
  const QString channel = feed ? feed->name : QString();

  EmailBodyInput input;
  input.fromName = s.senderName;
  input.personalMessage = options->values.value(QStringLiteral("--message"));
  input.title = item.title;
  input.description = item.body();
  input.link = item.media.isEmpty() ? item.link : item.media;
  input.mode = options->switches.contains(QStringLiteral("--link-only")) ? EmailSendMode::LinkOnly
                                                                         : EmailSendMode::FullDescription;
  const QString body = BuildEmailBody(util::ReadTextFile(context.paths.emailTpl(), &context.messages), input,
                                      context.identity.programName);
  const QString subject = options->values.value(QStringLiteral("--subject"), DefaultEmailSubject(channel, item.title));
  const SmtpMail mail{options->values.value(QStringLiteral("--to")), subject, body, HtmlToPlainText(body)};

  Result<SmtpEnvelope> envelope = PrepareSmtpMail(
      ToSmtpSettings(s), mail, context.identity.programName + QLatin1Char(' ') + context.identity.version);
  const std::atomic<bool> cancel{false};
  const Status sent = envelope ? RunSmtpTransfer(envelope.value(), {}, cancel) : Status::failure(envelope.error());
  if (!sent) {
    printErr(QStringLiteral("email: Failed to Send Email due to following error: ") + sent.error().description);
    return kExitFailed;
  }
  printJson({{QStringLiteral("sent"), true},
             {QStringLiteral("feed"), feedId},
             {QStringLiteral("item"), itemId},
             {QStringLiteral("to"), QJsonArray::fromStringList(envelope.value().recipients)},
             {QStringLiteral("server"), envelope.value().host},
             {QStringLiteral("port"), envelope.value().port},
             {QStringLiteral("security"), smtpSecurityName(envelope.value().security)}});
  return kExitOk;
}

}  // namespace

int runEmail(AppContext& context, const QStringList& args) {
  if (args.isEmpty()) return usageError(kCommand);
  const QString& verb = args.first();
  if (verb == QLatin1String("show")) return emailShow(context, args.mid(1));
  if (verb == QLatin1String("set")) return emailSet(context, args.mid(1));
  if (verb == QLatin1String("send")) return emailSend(context, args.mid(1));
  return usageError(kCommand);
}

}  // namespace tidewell::cli
